/*
 * csv_reader.cpp - the streaming RFC 4180 reader.
 */
#include "platform/dataset/csv_reader.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>

#include "platform/regular_file.h"

namespace orvhost {

namespace {
constexpr size_t kBufferSize = size_t{1} << 18;
/* Longest record held: a file without line ends (or with a quote left
 * open) must not take all memory. */
constexpr size_t kMaxRecordBytes = size_t{16} << 20;
const std::string kRecordTooLong = "the record is longer than " + std::to_string(kMaxRecordBytes) +
                                   " bytes, the most this host reads in one record; check its "
                                   "quotes and line ends.";
constexpr unsigned char kByteOrderMark[] = {0xEF, 0xBB, 0xBF};
/* The bytes that end a run of an unquoted field: one table look-up per
 * byte instead of four comparisons. */
constexpr auto kEndsUnquotedRun = [] {
    std::array<bool, 256> ends{};
    ends[size_t(',')] = ends[size_t('\n')] = ends[size_t('\r')] = ends[size_t('"')] = true;
    return ends;
}();
}  // namespace

CsvReader::~CsvReader()
{
    if (fd_ >= 0) ::close(fd_);
}

bool CsvReader::open(const std::string &path, std::string &error)
{
    path_ = path;
    fd_ = openRegularFile(path, "data file", 0, error);
    if (fd_ < 0) return false;
    buffer_.resize(kBufferSize);
    return true;
}

std::string CsvReader::where(int64_t line) const
{
    return path_ + ", line " + std::to_string(line) + ": ";
}

bool CsvReader::refill()
{
    if (fd_ < 0 || readFailed_) return false;
    bufferOffset_ += int64_t(end_);
    position_ = end_ = 0;
    for (;;) {
        ssize_t got = ::pread(fd_, buffer_.data(), buffer_.size(), bufferOffset_);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            readFailed_ = true;
            return false;
        }
        end_ = size_t(got);
        return got > 0;
    }
}

bool CsvReader::seek(int64_t offset, int64_t line, std::string &error)
{
    if (fd_ < 0 || offset < 0) {
        error = path_ + ": cannot return to byte " + std::to_string(offset) + ".";
        return false;
    }
    /* Inside the buffer held: no read needed. */
    if (offset >= bufferOffset_ && offset <= bufferOffset_ + int64_t(end_)) {
        position_ = size_t(offset - bufferOffset_);
    } else {
        bufferOffset_ = offset;
        position_ = end_ = 0;
    }
    line_ = line;
    atStart_ = offset == 0;
    readFailed_ = false;
    return true;
}

size_t CsvReader::heldBytes() const
{
    return buffer_.capacity() + text_.capacity() + ends_.capacity() * sizeof(size_t) +
           fields_.capacity() * sizeof(std::string_view);
}

CsvReader::Result CsvReader::fail(std::string &error, int64_t line, const std::string &what)
{
    error = where(line) + what;
    return Result::Error;
}

CsvReader::Result CsvReader::next(std::string &error)
{
    text_.clear();
    ends_.clear();
    fields_.clear();

    if (atStart_) {
        atStart_ = false;
        /* At the start of the file the buffer holds its first bytes. */
        if (peek() == kByteOrderMark[0] && end_ - position_ >= sizeof kByteOrderMark &&
            std::memcmp(buffer_.data() + position_, kByteOrderMark, sizeof kByteOrderMark) == 0)
            position_ += sizeof kByteOrderMark;
    }

    /* Empty lines between records carry no record. */
    for (;;) {
        int c = peek();
        if (c == '\n') {
            ++position_;
            ++line_;
        } else if (c == '\r') {
            ++position_;
            if (peek() == '\n') {
                ++position_;
                ++line_;
            }
        } else {
            break;
        }
    }
    if (peek() < 0) {
        if (readFailed_) return fail(error, line_, "the file cannot be read.");
        return Result::End;
    }
    recordOffset_ = bufferOffset_ + int64_t(position_);
    recordLine_ = line_;

    for (;;) {
        int c = peek();
        if (c == '"') {
            int64_t startLine = line_;
            ++position_;
            for (;;) {
                c = peek();
                if (c < 0) {
                    if (readFailed_) return fail(error, line_, "the file cannot be read.");
                    return fail(error, startLine,
                                "a quoted field is not closed before the end of the file.");
                }
                ++position_;
                if (c == '"') {
                    if (peek() != '"') break;
                    ++position_;
                } else if (c == '\n') {
                    ++line_;
                }
                text_ += char(c);
                if (text_.size() > kMaxRecordBytes) return fail(error, recordLine_, kRecordTooLong);
            }
            c = peek();
            if (c != ',' && c != '\n' && c != '\r' && c >= 0)
                return fail(error, line_, "characters follow the closing quote of a field.");
        } else {
            /* Unquoted: copy up to the next separator in runs. */
            for (;;) {
                if (position_ >= end_ && !refill()) break;
                size_t run = position_;
                while (run < end_ && !kEndsUnquotedRun[static_cast<unsigned char>(buffer_[run])])
                    ++run;
                text_.append(buffer_.data() + position_, run - position_);
                position_ = run;
                if (text_.size() > kMaxRecordBytes) return fail(error, recordLine_, kRecordTooLong);
                if (run < end_) break;
            }
            c = peek();
            if (c == '"')
                return fail(error, line_, "a quote appears inside a field that is not quoted.");
            if (c < 0 && readFailed_) return fail(error, line_, "the file cannot be read.");
        }
        ends_.push_back(text_.size());
        c = peek();
        if (c == ',') {
            ++position_;
            continue;
        }
        if (c == '\r') {
            ++position_;
            if (peek() == '\n') ++position_;
            ++line_;
        } else if (c == '\n') {
            ++position_;
            ++line_;
        }
        break; /* end of the record (or of the file) */
    }

    size_t start = 0;
    for (size_t end : ends_) {
        fields_.emplace_back(text_.data() + start, end - start);
        start = end;
    }
    return Result::Record;
}

}  // namespace orvhost
