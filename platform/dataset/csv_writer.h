/*
 * csv_writer.h - a buffered writer of RFC 4180 files.
 *
 * Fields are quoted when they hold a comma, a quote, CR or LF (quotes are
 * doubled); a record of one empty field is written as "" so that it does not
 * read as an empty line.  Records end with LF.
 *
 * Exports: class CsvWriter.
 */
#ifndef ORV_PLATFORM_DATASET_CSV_WRITER_H
#define ORV_PLATFORM_DATASET_CSV_WRITER_H

#include <cstdint>
#include <string>
#include <string_view>

namespace orvhost {

class CsvWriter {
public:
    CsvWriter() = default;
    ~CsvWriter();
    CsvWriter(const CsvWriter &) = delete;
    CsvWriter &operator=(const CsvWriter &) = delete;

    /* Takes over an open file descriptor (closed by the writer). */
    void attach(int fd, std::string path);

    /* Appends one field of the current record. */
    void field(std::string_view text);

    /* Appends one field that needs no quoting (a number or a date). */
    void plainField(std::string_view text) { plainFieldText().append(text); }

    /* Starts one field that needs no quoting and returns the buffer to append
     * its text to (so that numbers are formatted in place, not copied). */
    std::string &plainFieldText()
    {
        if (fieldsInRecord_++ > 0) buffer_ += ',';
        fieldStart_ = buffer_.size();
        return buffer_;
    }

    /* Ends the current record; writes the buffer out when it is full.
     * False with a message in error when the write fails. */
    bool endRecord(std::string &error);

    /* Writes everything out, syncs and closes the file.  False with a
     * message in error on failure. */
    bool finish(std::string &error);

    /* Closes the file without syncing (for a discarded output). */
    void abandon();

    /* Bytes of the file so far, buffered ones included. */
    int64_t size() const { return written_ + int64_t(buffer_.size()); }

private:
    bool flush(std::string &error);

    int fd_ = -1;
    std::string path_;
    std::string buffer_;
    int64_t written_ = 0;
    int fieldsInRecord_ = 0;
    size_t fieldStart_ = 0; /* where the current record's last field starts */
};

}  // namespace orvhost

#endif
