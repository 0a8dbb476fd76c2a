/*
 * csv_writer.cpp - the buffered RFC 4180 writer.
 */
#include "platform/dataset/csv_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

#include "platform/dataset/file_writes.h"

namespace orvhost {

namespace {

/* Room beyond kCsvFlushBytes for the record that crosses it; longer
 * records grow the buffer. */
constexpr size_t kRecordHeadroom = size_t{64} << 10;

/* Every this many bytes written, the disk starts writing them (and the
 * writer goes on meanwhile), so that the sync at the end waits for little. */
constexpr int64_t kWritebackBytes = int64_t{8} << 20;

/* The bytes that make a field need quotes. */
constexpr auto kNeedsQuotes = [] {
    std::array<bool, 256> needs{};
    for (unsigned char c : {',', '"', '\r', '\n'}) needs[c] = true;
    return needs;
}();

}  // namespace

CsvWriter::~CsvWriter() { abandon(); }

void CsvWriter::attach(int fd, std::string path)
{
    abandon();
    fd_ = fd;
    path_ = std::move(path);
    written_ = writebackStart_ = 0;
    writebackLeft_ = false;
    writtenOut_.store(0);
    if (!buffer_) grow(kRecordHeadroom);
}

void CsvWriter::grow(size_t bytes)
{
    const size_t used = size_t(cursor_ - buffer_.get());
    const size_t recordOffset = size_t(recordStart_ - buffer_.get());
    /* Room for a full buffer and then `bytes` (records start below
     * kCsvFlushBytes), and at least double the old room, so that neither
     * wide records nor a long record of many fields grow it time after
     * time. */
    const size_t capacity = std::max({used + bytes, kCsvFlushBytes + std::max(bytes, kRecordHeadroom),
                                      2 * size_t(limit_ - buffer_.get())});
    auto larger = std::make_unique_for_overwrite<char[]>(capacity);
    if (used > 0) std::memcpy(larger.get(), buffer_.get(), used);
    buffer_ = std::move(larger);
    cursor_ = buffer_.get() + used;
    recordStart_ = buffer_.get() + recordOffset;
    limit_ = buffer_.get() + capacity;
}

char *CsvWriter::putField(char *out, std::string_view text)
{
    size_t plain = 0;
    while (plain < text.size() && !kNeedsQuotes[static_cast<unsigned char>(text[plain])]) ++plain;
    if (plain == text.size()) {
        std::memcpy(out, text.data(), text.size());
        return out + text.size();
    }
    *out++ = '"';
    for (char c : text) {
        if (c == '"') *out++ = '"';
        *out++ = c;
    }
    *out++ = '"';
    return out;
}

void CsvWriter::field(std::string_view text)
{
    const size_t most = quotedBound(text.size()) + 1 + kRecordEndBytes;
    if (size_t(limit_ - cursor_) < most) grow(most);
    if (fieldsInRecord_++ > 0) *cursor_++ = ',';
    cursor_ = putField(cursor_, text);
}

void CsvWriter::plainField(std::string_view text)
{
    const size_t most = text.size() + 1 + kRecordEndBytes;
    if (size_t(limit_ - cursor_) < most) grow(most);
    if (fieldsInRecord_++ > 0) *cursor_++ = ',';
    std::memcpy(cursor_, text.data(), text.size());
    cursor_ += text.size();
}

void CsvWriter::reserveRecords(size_t bytes)
{
    const size_t most = kCsvFlushBytes + bytes + kRecordEndBytes;
    if (size_t(limit_ - buffer_.get()) < most) grow(bytes + kRecordEndBytes);
}

std::string CsvWriter::writeFailure() const
{
    return "The file " + path_ + " cannot be written: " + std::strerror(writeErrno_) + ".";
}

bool CsvWriter::endRecord(std::string &error)
{
    if (closeRecord()) return true;
    error = writeFailure();
    return false;
}

bool CsvWriter::closeRecord()
{
    if (size_t(limit_ - cursor_) < kRecordEndBytes) grow(kRecordEndBytes);
    if (fieldsInRecord_ == 1 && cursor_ == recordStart_) {
        *cursor_++ = '"';
        *cursor_++ = '"';
    }
    *cursor_++ = '\n';
    recordStart_ = cursor_;
    fieldsInRecord_ = 0;
    return size_t(cursor_ - buffer_.get()) < kCsvFlushBytes || flush();
}

bool CsvWriter::flush()
{
    const size_t used = size_t(cursor_ - buffer_.get());
    if (!writeFileBytes(fd_, buffer_.get(), used)) {
        writeErrno_ = errno;
        return false;
    }
    written_ += int64_t(used);
    cursor_ = recordStart_ = buffer_.get();
    if (writebackLeft_)
        writtenOut_.store(written_, std::memory_order_release);
    else
        startWritebackUpTo(written_);
    return true;
}

void CsvWriter::startWriteback() { startWritebackUpTo(writtenOut_.load(std::memory_order_acquire)); }

void CsvWriter::startWritebackUpTo(int64_t end)
{
    if (end - writebackStart_ < kWritebackBytes) return;
    /* Only a hint: a failure shows in the sync of finish(). */
    ::sync_file_range(fd_, writebackStart_, end - writebackStart_, SYNC_FILE_RANGE_WRITE);
    writebackStart_ = end;
}

bool CsvWriter::finish(std::string &error)
{
    if (fd_ < 0) {
        error = "The file " + path_ + " is not open.";
        return false;
    }
    bool ok = flush();
    if (!ok) error = writeFailure();
    if (ok && ::fsync(fd_) != 0) {
        error = "The file " + path_ + " cannot be written: " + std::strerror(errno) + ".";
        ok = false;
    }
    if (::close(fd_) != 0 && ok) {
        error = "The file " + path_ + " cannot be closed: " + std::strerror(errno) + ".";
        ok = false;
    }
    fd_ = -1;
    return ok;
}

void CsvWriter::abandon()
{
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    cursor_ = recordStart_ = buffer_.get();
    fieldsInRecord_ = 0;
}

}  // namespace orvhost
