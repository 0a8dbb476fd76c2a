/*
 * csv_reader.cpp - the streaming RFC 4180 reader.
 */
#include "platform/dataset/csv_reader.h"

#include <fcntl.h>
#include <unistd.h>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <bit>
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

#if defined(__SSE2__)
/* Sixteen bytes are tested at a time, one bit of the mask per byte. */
constexpr size_t kScanBytes = 16;
constexpr int kBitsPerByte = 1;

/* A bit for each byte of the 16 at at that ends a run of an unquoted field:
 * a comma, LF, CR or quote. */
uint64_t runEndMask(const char *at)
{
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(at));
    const __m128i found = _mm_or_si128(
        _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(',')), _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\n'))),
        _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\r')), _mm_cmpeq_epi8(bytes, _mm_set1_epi8('"'))));
    return uint64_t(unsigned(_mm_movemask_epi8(found)));
}
#else
/* Eight bytes are tested at a time in a 64-bit word, the high bit of each
 * byte in the mask. */
constexpr size_t kScanBytes = 8;
constexpr int kBitsPerByte = 8;
constexpr uint64_t kEveryByte = 0x0101010101010101ull;
constexpr uint64_t kLowSevenBits = 0x7F7F7F7F7F7F7F7Full;

/* The high bit of each byte of word that equals c, and no other bit (exact:
 * no borrow runs from one byte into the next). */
uint64_t bytesEqualTo(uint64_t word, char c)
{
    const uint64_t x = word ^ (kEveryByte * static_cast<unsigned char>(c));
    return ~(((x & kLowSevenBits) + kLowSevenBits) | x | kLowSevenBits);
}

/* The high bit of each byte of the 8 at at that ends a run of an unquoted
 * field: a comma, LF, CR or quote. */
uint64_t runEndMask(const char *at)
{
    uint64_t word;
    std::memcpy(&word, at, sizeof word);
    if constexpr (std::endian::native == std::endian::big) {
        uint64_t swapped = 0; /* the first byte in the lowest bits */
        for (size_t i = 0; i < sizeof word; ++i) swapped |= ((word >> (8 * i)) & 0xFF) << (8 * (7 - i));
        word = swapped;
    }
    return bytesEqualTo(word, ',') | bytesEqualTo(word, '\n') | bytesEqualTo(word, '\r') |
           bytesEqualTo(word, '"');
}
#endif
/* Bytes after the buffer that a scan may load (and ignore). */
constexpr size_t kScanSlack = kScanBytes;

/* The mask (see runEndMask) of the kScanBytes bytes at at, without the
 * bytes from end on.  REQUIRES: at < end, and kScanSlack readable bytes
 * after end. */
uint64_t runEndBits(const char *data, size_t at, size_t end)
{
    uint64_t found = runEndMask(data + at);
    if (end - at < kScanBytes) found &= (uint64_t{1} << (kBitsPerByte * (end - at))) - 1;
    return found;
}

/* The first byte from at up to end that ends a run of an unquoted field, or
 * end when there is none.  REQUIRES: as runEndBits. */
size_t findRunEnd(const char *data, size_t at, size_t end)
{
    for (; at < end; at += kScanBytes)
        if (const uint64_t found = runEndBits(data, at, end); found != 0)
            return at + size_t(std::countr_zero(found)) / kBitsPerByte;
    return end;
}
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
    buffer_.resize(kBufferSize + kScanSlack);
    return true;
}

std::string CsvReader::where(int64_t line) const
{
    return path_ + ", line " + std::to_string(line) + ": ";
}

bool CsvReader::refill()
{
    if (fd_ < 0 || readFailed_) return false;
    /* The bytes not yet read move to the front, so that a record being
     * split in place stays whole. */
    const size_t kept = end_ - position_;
    if (position_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + position_, kept);
        bufferOffset_ += int64_t(position_);
        position_ = 0;
        end_ = kept;
    }
    for (;;) {
        ssize_t got = ::pread(fd_, buffer_.data() + end_, kBufferSize - end_,
                              bufferOffset_ + int64_t(end_));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            readFailed_ = true;
            return false;
        }
        end_ += size_t(got);
        return got > 0;
    }
}

bool CsvReader::splitPlainRecord()
{
    bool atEnd = false; /* end_ is the end of the file */
    for (;;) {
        fields_.clear();
        const char *data = buffer_.data();
        size_t start = position_;
        /* The word at `word` is tested once; `found` keeps its separators
         * not yet taken, so a short field costs no second test. */
        size_t word = position_;
        uint64_t found = word < end_ ? runEndBits(data, word, end_) : 0;
        for (;;) {
            while (found == 0 && (word += kScanBytes) < end_)
                found = runEndBits(data, word, end_);
            if (found == 0) {
                if (!atEnd) break; /* more bytes are needed */
                fields_.emplace_back(data + start, end_ - start);
                position_ = end_;
                return true;
            }
            size_t at = word + size_t(std::countr_zero(found)) / kBitsPerByte;
            found &= found - 1;
            const char c = data[at];
            if (c == ',') {
                if (fields_.size() + 2 > fieldLimit_) {
                    fields_.clear();
                    return false;
                }
                fields_.emplace_back(data + start, at - start);
                start = at + 1;
                continue;
            }
            if (c == '"') {
                fields_.clear();
                return false;
            }
            if (c == '\r' && at + 1 == end_ && !atEnd) break; /* is '\n' next? */
            fields_.emplace_back(data + start, at - start);
            ++at; /* the line end: LF, CRLF or a lone CR */
            if (c == '\r' && at < end_ && data[at] == '\n') ++at;
            position_ = at;
            ++line_;
            return true;
        }
        /* The record runs past the bytes held: read more and split it again,
         * unless it fills the buffer (the general loop reads it then). */
        if (end_ - position_ == kBufferSize) {
            fields_.clear();
            return false;
        }
        if (!refill()) {
            if (readFailed_) {
                fields_.clear();
                return false;
            }
            atEnd = true;
        }
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

bool CsvReader::startRecord()
{
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
    if (peek() < 0) return false;
    recordOffset_ = bufferOffset_ + int64_t(position_);
    recordLine_ = line_;
    return true;
}

void CsvReader::limitFields(size_t most)
{
    fieldLimit_ = most;
    fields_.reserve(most);
}

CsvReader::Result CsvReader::nextPlain()
{
    fields_.clear();
    if (!startRecord()) return readFailed_ ? Result::NotPlain : Result::End;
    return splitPlainRecord() ? Result::Record : Result::NotPlain;
}

CsvReader::Result CsvReader::next(std::string &error)
{
    fields_.clear();
    if (!startRecord()) {
        if (readFailed_) return fail(error, line_, "the file cannot be read.");
        return Result::End;
    }
    if (splitPlainRecord()) return Result::Record;

    /* The general loop: quoted fields, and records longer than the buffer,
     * are copied into text_. */
    text_.clear();
    ends_.clear();
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
                size_t run = findRunEnd(buffer_.data(), position_, end_);
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
