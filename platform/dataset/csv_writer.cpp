/*
 * csv_writer.cpp - the buffered RFC 4180 writer.
 */
#include "platform/dataset/csv_writer.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/dataset/file_writes.h"

namespace orvhost {

namespace {
constexpr size_t kFlushSize = size_t{1} << 20;
}  // namespace

CsvWriter::~CsvWriter() { abandon(); }

void CsvWriter::attach(int fd, std::string path)
{
    abandon();
    fd_ = fd;
    path_ = std::move(path);
    buffer_.reserve(kFlushSize + 4096);
    written_ = 0;
}

void CsvWriter::field(std::string_view text)
{
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        plainField(text);
        return;
    }
    if (fieldsInRecord_++ > 0) buffer_ += ',';
    fieldStart_ = buffer_.size();
    buffer_ += '"';
    for (char c : text) {
        if (c == '"') buffer_ += '"';
        buffer_ += c;
    }
    buffer_ += '"';
}

bool CsvWriter::endRecord(std::string &error)
{
    if (fieldsInRecord_ == 1 && buffer_.size() == fieldStart_) buffer_ += "\"\"";
    buffer_ += '\n';
    fieldsInRecord_ = 0;
    return buffer_.size() < kFlushSize || flush(error);
}

bool CsvWriter::flush(std::string &error)
{
    if (!writeFileBytes(fd_, buffer_.data(), buffer_.size())) {
        error = "The file " + path_ + " cannot be written: " + std::strerror(errno) + ".";
        return false;
    }
    written_ += int64_t(buffer_.size());
    buffer_.clear();
    return true;
}

bool CsvWriter::finish(std::string &error)
{
    if (fd_ < 0) {
        error = "The file " + path_ + " is not open.";
        return false;
    }
    bool ok = flush(error);
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
    buffer_.clear();
    fieldsInRecord_ = 0;
}

}  // namespace orvhost
