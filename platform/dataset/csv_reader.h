/*
 * csv_reader.h - a streaming reader of RFC 4180 files.
 *
 * Records end with LF or CRLF; fields are separated by commas; a field in
 * double quotes may hold commas, line ends and doubled quotes.  A byte-order
 * mark at the start of the file is skipped; empty lines between records are
 * skipped (a record with a single empty field is written as "").
 *
 * The reader holds one buffer of the file and the fields of one record, so
 * its memory does not grow with the file.  A record without quotes that
 * lies in the buffer is split in place (its fields point into the buffer);
 * others are copied field by field.  Each record comes with the byte
 * offset and line number where it starts, and seek() returns to a noted
 * record.  nextPlain() reads only the records split in place, allocating
 * nothing, so that another thread may read with it.
 *
 * Exports: class CsvReader.
 */
#ifndef ORV_PLATFORM_DATASET_CSV_READER_H
#define ORV_PLATFORM_DATASET_CSV_READER_H

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dataset/cache_line.h"

namespace orvhost {

class CsvReader {
public:
    enum class Result { Record, End, Error, NotPlain };

    CsvReader() = default;
    ~CsvReader();
    CsvReader(const CsvReader &) = delete;
    CsvReader &operator=(const CsvReader &) = delete;

    /* Opens path for reading.  False with a message in error when it cannot
     * be opened or is not a regular file (a FIFO or device would block or
     * never end). */
    bool open(const std::string &path, std::string &error);

    /* Reads the next record.  Record: fields() holds it until the next call.
     * End: no more records.  Error: a malformed record (an unterminated
     * quoted field, characters after a closing quote, a quote inside an
     * unquoted field, a record of more than 16 MiB) or a read error; error
     * names the file and line. */
    Result next(std::string &error);

    /* Reads the next record as next() does when it holds no quote, has at
     * most the fields limitFields() allows and lies in the buffer; NotPlain
     * (nothing more to be read) for any other record and on a read error.
     * It never allocates memory, so it may run on a thread of its own. */
    Result nextPlain();

    /* Reserves room for the fields of a record of at most `most` fields;
     * nextPlain() then takes a record of more as NotPlain. */
    void limitFields(size_t most);

    std::span<const std::string_view> fields() const { return fields_; }

    /* Byte offset and line number (1-based) where the last record starts. */
    int64_t recordOffset() const { return recordOffset_; }
    int64_t recordLine() const { return recordLine_; }

    /* Byte offset and line number of the next byte to be read. */
    int64_t offset() const { return bufferOffset_ + int64_t(position_); }
    int64_t line() const { return line_; }

    /* Continues reading at a byte offset where a record starts, whose line
     * number is line.  False with a message in error on a read error. */
    bool seek(int64_t offset, int64_t line, std::string &error);

    /* Bytes of memory the reader holds (buffer and fields). */
    size_t heldBytes() const;

    const std::string &path() const { return path_; }

    /* "path, line N: " for messages. */
    std::string where(int64_t line) const;

private:
    /* The next byte, or -1 at the end of the file (or after a read error,
     * which readFailed_ tells). */
    int peek()
    {
        if (position_ < end_) return static_cast<unsigned char>(buffer_[position_]);
        return refill() ? static_cast<unsigned char>(buffer_[position_]) : -1;
    }
    /* Moves the bytes not yet read to the front of the buffer and reads
     * more after them.  True when bytes were added; false at the end of the
     * file, when the buffer is full, or after a read error (readFailed_). */
    bool refill();
    /* Splits the record at position_ into fields_ in place when it has no
     * quote, no more than fieldLimit_ fields, and its line end (or the end
     * of the file) fits in the buffer, reading more when needed, and moves
     * past it.  False, with nothing consumed and fields_ empty, when the
     * general loop must read it (also after a read error, which that loop
     * reports). */
    bool splitPlainRecord();
    /* Skips a byte-order mark at the start of the file and empty lines, and
     * notes where the record there starts.  False at the end of the file
     * or after a read error (readFailed_). */
    bool startRecord();
    Result fail(std::string &error, int64_t line, const std::string &what);

    std::string path_;
    int fd_ = -1;
    std::vector<char> buffer_;
    size_t position_ = 0;      /* next byte in buffer_ */
    size_t end_ = 0;           /* bytes held in buffer_ */
    int64_t bufferOffset_ = 0; /* file offset of buffer_[0] */
    int64_t line_ = 1;         /* line of the next byte */
    bool readFailed_ = false;
    bool atStart_ = true;      /* a byte-order mark may follow */

    int64_t recordOffset_ = 0;
    int64_t recordLine_ = 0;
    std::string text_;                          /* the record's field texts */
    std::vector<size_t> ends_;                  /* end of each field in text_ */
    /* Written per record by the read-ahead thread: on lines of its own. */
    std::vector<std::string_view, CacheLineAllocator<std::string_view>> fields_;
    size_t fieldLimit_ = SIZE_MAX; /* splitPlainRecord leaves longer records */
};

}  // namespace orvhost

#endif
