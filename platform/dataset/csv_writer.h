/*
 * csv_writer.h - a buffered writer of RFC 4180 files.
 *
 * Fields are quoted when they hold a comma, a quote, CR or LF (quotes are
 * doubled); a record of one empty field is written as "" so that it does not
 * read as an empty line.  Records end with LF.
 *
 * Text goes into one raw buffer through a moving cursor and out to the file
 * in writes of about kCsvFlushBytes.  Records are written field by field
 * (field, plainField, endRecord) or, for rows whose largest text is known,
 * in place: recordSpace() guarantees the room, the caller writes the fields
 * with putField and the number writers, and endRecordAt() ends the record.
 *
 * Exports: kCsvFlushBytes, class CsvWriter.
 */
#ifndef ORV_PLATFORM_DATASET_CSV_WRITER_H
#define ORV_PLATFORM_DATASET_CSV_WRITER_H

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace orvhost {

/* The buffer is written out once it holds this many bytes. */
constexpr size_t kCsvFlushBytes = size_t{1} << 20;

class CsvWriter {
public:
    CsvWriter() = default;
    ~CsvWriter();
    CsvWriter(const CsvWriter &) = delete;
    CsvWriter &operator=(const CsvWriter &) = delete;

    /* Takes over an open file descriptor (closed by the writer). */
    void attach(int fd, std::string path);

    /* Appends one field of the current record, quoted when it needs to be. */
    void field(std::string_view text);

    /* Appends one field that needs no quoting (a number or a date). */
    void plainField(std::string_view text);

    /* Ends the current record; writes the buffer out when it is full.
     * False with a message in error when the write fails. */
    bool endRecord(std::string &error);

    /* Makes room for a record of at most `bytes` bytes (commas included,
     * its end not) and returns where its text starts.  REQUIRES: no field
     * of the current record written yet. */
    char *recordSpace(size_t bytes)
    {
        if (size_t(limit_ - cursor_) < bytes + kRecordEndBytes) grow(bytes + kRecordEndBytes);
        return cursor_;
    }

    /* Ends the record of `fields` fields (commas between them) written
     * from recordSpace() up to end; as endRecord. */
    bool endRecordAt(char *end, int fields, std::string &error)
    {
        if (endRecordAt(end, fields)) return true;
        error = writeFailure();
        return false;
    }

    /* endRecordAt without the message, allocating nothing: false when the
     * write failed, whose message writeFailure() then gives.  REQUIRES:
     * the room of reserveRecords() for the record. */
    bool endRecordAt(char *end, int fields)
    {
        if (fields == 1 && end == recordStart_) { /* a lone empty field */
            cursor_ = end;
            fieldsInRecord_ = fields;
            return closeRecord();
        }
        /* Inline, as it ends every row: recordSpace() left room for LF. */
        *end++ = '\n';
        cursor_ = recordStart_ = end;
        fieldsInRecord_ = 0;
        return size_t(end - buffer_.get()) < kCsvFlushBytes || flush();
    }

    /* Makes the buffer hold a full buffer's worth and then a record of
     * `bytes` bytes, so that recordSpace() never grows it for records of
     * at most that size. */
    void reserveRecords(size_t bytes);

    /* The message of the last write that failed. */
    std::string writeFailure() const;

    /* The most bytes putField writes for a text of `length` bytes. */
    static constexpr size_t quotedBound(size_t length) { return 2 * length + 2; }

    /* Writes text at out as one field, quoted when it needs to be; returns
     * the end.  REQUIRES: room for quotedBound(text.size()) bytes. */
    static char *putField(char *out, std::string_view text);

    /* Writes everything out, syncs and closes the file.  False with a
     * message in error on failure. */
    bool finish(std::string &error);

    /* Closes the file without syncing (for a discarded output). */
    void abandon();

    /* Leaves starting the writing out of the bytes written to
     * startWriteback(), which the thread that hands this writer its rows
     * calls while another thread writes them: the writing thread then
     * spends nothing on it.  REQUIRES: no write under way meanwhile. */
    void leaveWriteback()
    {
        if (!writebackLeft_) writebackLeft_ = true;
    }

    /* After leaveWriteback(): starts writing out the bytes written since
     * the last start, once they are many (only a hint to the system, as
     * finish() syncs them all). */
    void startWriteback();

    /* Bytes of the file so far, buffered ones included. */
    int64_t size() const { return written_ + (cursor_ - buffer_.get()); }

private:
    /* What ending a record may add: "" for a lone empty field, and LF. */
    static constexpr size_t kRecordEndBytes = 3;

    /* Makes the buffer hold at least `bytes` more bytes after the cursor. */
    void grow(size_t bytes);
    /* Ends the current record and writes the buffer out when it is full;
     * false when the write failed (its errno kept). */
    bool closeRecord();
    /* Writes the buffer out; false when the write failed (its errno kept). */
    bool flush();
    /* Starts writing out the bytes before end not yet started, once they
     * are many. */
    void startWritebackUpTo(int64_t end);

    int fd_ = -1;
    std::string path_;
    std::unique_ptr<char[]> buffer_;
    char *cursor_ = nullptr;      /* where the next byte goes */
    char *limit_ = nullptr;       /* the end of the buffer */
    char *recordStart_ = nullptr; /* where the current record starts */
    int64_t written_ = 0;
    int64_t writebackStart_ = 0; /* the first byte whose writing out was not started */
    bool writebackLeft_ = false; /* to startWriteback() */
    std::atomic<int64_t> writtenOut_{0}; /* written_, for startWriteback() */
    int fieldsInRecord_ = 0;
    int writeErrno_ = 0; /* of the last write that failed */
};

}  // namespace orvhost

#endif
