/*
 * output_data_set.cpp - writing a data set to a temporary file and putting
 * it in place.
 */
#include "platform/dataset/output_data_set.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <cstring>

#include "host/missing_values.h"
#include "platform/dataset/data_set_status.h"
#include "platform/dataset/data_set_store.h"
#include "platform/dataset/libraries.h"
#include "platform/dataset/library_lock.h"
#include "platform/dataset/sidecar.h"
#include "platform/dataset/value_text.h"
#include "platform/regular_file.h"

namespace orvhost {

namespace {

/* A temporary file beside target, named ".<file>.XXXXXX" and held locked
 * through *held (platform/dataset/library_lock.h); its descriptor, or -1
 * with the path left in temporary. */
int makeTemporaryBeside(const std::string &target, std::string &temporary, int *held)
{
    int fd = makeHeldTemporary(target, temporary, held);
    if (fd >= 0) {
        /* mkstemp makes the file private; data sets are ordinary files. */
        mode_t mask = umask(0);
        umask(mask);
        fchmod(fd, 0666 & ~mask);
        removeFileOnSignals(temporary); /* a stopped run leaves no half-written file */
    }
    return fd;
}

}  // namespace

OutputDataSet::OutputDataSet(DataSetStore &store, std::string libref, std::string member)
    : DataSet(store, std::move(libref), std::move(member), false), writeBehind_(store.writeBehind())
{
}

OutputDataSet::~OutputDataSet()
{
    if (!finished_) discard();
}

bool OutputDataSet::create(const std::string &finalCsvPath, const std::string &finalSidecarPath,
                           std::string &error)
{
    finalCsv_ = finalCsvPath;
    finalSidecar_ = finalSidecarPath;
    int fd = makeTemporaryBeside(finalCsv_, temporaryCsv_, &heldCsv_);
    if (fd < 0) {
        error = "The data set " + qualifiedName() + " cannot be written: no file can be made beside " +
                finalCsv_ + " (" + std::strerror(errno) + ").";
        temporaryCsv_.clear();
        return false;
    }
    writer_.attach(fd, temporaryCsv_);
    return true;
}

int OutputDataSet::addVariable(Variable variable)
{
    if (defined_) return kDataSetStatusNotDefined;
    std::string problem;
    if (!isValidName(variable.name, ORV_DS_VARIABLE_NAME_LENGTH))
        problem = "the name \"" + variable.name + "\" is not a valid variable name";
    else if (findVariable(variable.name) != 0)
        problem = "the variable " + variable.name + " is defined twice";
    else if (variable.type == VariableType::Character &&
             (variable.length < 1 || variable.length > kLongestCharacterVariable))
        problem = "the character variable " + variable.name + " has the length " +
                  std::to_string(variable.length);
    if (!problem.empty()) {
        failed_ = true;
        store_.reportError("The data set " + qualifiedName() + " cannot be written: " + problem +
                           ".");
        noteLoggedFailure(kDataSetStatusBadArgument);
        return kDataSetStatusBadArgument;
    }
    if (variable.type == VariableType::Numeric) variable.length = 8;
    description_.variables.push_back(std::move(variable));
    return int(description_.variables.size());
}

int OutputDataSet::endDefinition()
{
    if (defined_) return kDataSetStatusNotDefined;
    size_t size = layOutRow(description_.variables);
    row_.assign(std::max<size_t>(size, 1), 0);
    for (const Variable &variable : description_.variables) {
        if (variable.type == VariableType::Character) {
            std::memset(row_.data() + variable.offset, ' ', size_t(variable.length));
        } else {
            double missing = orvMissing();
            std::memcpy(row_.data() + variable.offset, &missing, sizeof missing);
        }
    }
    cells_.clear();
    recordBound_ = 0;
    for (const Variable &variable : description_.variables) {
        const size_t length = size_t(variable.length);
        if (variable.type == VariableType::Character) {
            cells_.push_back({variable.offset, length, CellWay::Text});
            recordBound_ += 1 + CsvWriter::quotedBound(length);
            continue;
        }
        recordBound_ += 1 + kLongestNumberCell;
        if (variable.family == FormatFamily::Date) {
            cells_.push_back({variable.offset, 1, CellWay::Date});
            continue;
        }
        const NumberCellWriter number = numberCellWriter(variable.family);
        if (number != numberCellWriter(FormatFamily::Numeric)) {
            cells_.push_back({variable.offset, 1, CellWay::FormattedNumber, number});
            continue;
        }
        CellPlan *last = cells_.empty() ? nullptr : &cells_.back();
        if (last != nullptr && last->way == CellWay::PlainNumbers &&
            last->offset + last->count * sizeof(double) == variable.offset)
            ++last->count;
        else
            cells_.push_back({variable.offset, 1, CellWay::PlainNumbers});
    }
    fieldCount_ = int(description_.variables.size());
    handle.row = row_.data();
    lastRow_ = row_.data();
    defined_ = true;
    return 0;
}

bool OutputDataSet::writeHeader(std::string &error)
{
    for (const Variable &variable : description_.variables) writer_.field(variable.name);
    headerWritten_ = true;
    writer_.reserveRecords(recordBound_); /* rows written on the write-behind thread never grow it */
    return description_.variables.empty() || writer_.endRecord(error);
}

int OutputDataSet::writeRowInFull()
{
    if (!defined_) return kDataSetStatusNotDefined;
    if (failed_) { /* the cause was logged when it happened */
        noteLoggedFailure(kDataSetStatusWriteFailed);
        return kDataSetStatusWriteFailed;
    }
    std::string error;
    bool ok = headerWritten_ || writeHeader(error);
    /* A data set without variables has rows of nothing: there is no line to
     * hold them, so only the count is kept. */
    if (ok && !description_.variables.empty()) {
        uint8_t *row = static_cast<uint8_t *>(handle.row);
        bool handed = false;
        if (row != row_.data()) {
            /* Made at a place in the write-behind's batch. */
            if (!moved_) std::memcpy(row, lastRow_, row_.size()); /* the last row again */
            handed = writeBehind_.handOverInPlace(*this);
        }
        if (!handed) handed = writeBehind_.handOver(*this, row, row_.size(), rows_);
        lastRow_ = row;
        if (handed) {
            if (failed_) { /* an earlier row's failure, logged meanwhile */
                useOwnRow();
                noteLoggedFailure(kDataSetStatusWriteFailed);
                return kDataSetStatusWriteFailed;
            }
        } else if (!formatRow(row)) {
            error = writer_.writeFailure();
            ok = false;
        }
    }
    if (!ok) {
        failed_ = true;
        useOwnRow();
        store_.reportError(error);
        noteLoggedFailure(kDataSetStatusWriteFailed);
        return kDataSetStatusWriteFailed;
    }
    ++rows_;
    handle.observationCount = rows_;
    if (!description_.variables.empty()) {
        /* The next row is made where the write-behind will take it from. */
        uint8_t *place = writeBehind_.placeFor(*this, row_.size(), rows_);
        if (place != nullptr)
            handle.row = place;
        else
            useOwnRow();
    }
    moved_ = false;
    return 0;
}

void OutputDataSet::holdInOwnRow(const uint8_t *source)
{
    if (source != row_.data()) std::memcpy(row_.data(), source, row_.size());
    handle.row = row_.data();
}

void OutputDataSet::useOwnRow()
{
    if (handle.row != row_.data()) holdInOwnRow(lastRow_);
}

void OutputDataSet::takeRowBack(const uint8_t *place) { holdInOwnRow(moved_ ? place : lastRow_); }

size_t OutputDataSet::formatRows(const uint8_t *rows, size_t count, size_t stride)
{
    /* Locals, which stay in registers across the cell writers' calls. */
    CellPlan *const firstCell = cells_.data(), *const endCell = firstCell + cells_.size();
    const size_t bound = recordBound_;
    const int fields = fieldCount_;
    for (size_t at = 0; at < count; ++at) {
        const uint8_t *const row = rows + at * stride;
        char *out = writer_.recordSpace(bound);
        for (CellPlan *cell = firstCell; cell != endCell; ++cell) {
            const uint8_t *field = row + cell->offset;
            double value;
            switch (cell->way) {
            case CellWay::PlainNumbers:
                for (const uint8_t *end = field + cell->count * sizeof value; field != end; field += sizeof value) {
                    std::memcpy(&value, field, sizeof value);
                    if (std::bit_cast<uint64_t>(value) == 0) { /* +0, most cells of dummies */
                        std::memcpy(out, "0,", 2);
                        out += 2;
                        continue;
                    }
                    out = putPlainNumberCell(out, value);
                    *out++ = ',';
                }
                break;
            case CellWay::Date:
                std::memcpy(&value, field, sizeof value);
                out = putDateCell(out, value, cell->lastDay);
                *out++ = ',';
                break;
            case CellWay::FormattedNumber:
                std::memcpy(&value, field, sizeof value);
                out = cell->number(out, value);
                *out++ = ',';
                break;
            case CellWay::Text: {
                size_t length = cell->count;
                while (length > 0 && (field[length - 1] == ' ' || field[length - 1] == '\0')) --length;
                out = CsvWriter::putField(out, std::string_view(reinterpret_cast<const char *>(field), length));
                *out++ = ',';
                break;
            }
            }
        }
        if (!writer_.endRecordAt(out - 1, fields)) return at;
    }
    return count;
}

void OutputDataSet::failWrite(int64_t row)
{
    failed_ = true;
    rows_ = row;
    handle.observationCount = rows_;
    store_.reportError(writer_.writeFailure());
    noteLoggedFailure(kDataSetStatusWriteFailed);
}

bool OutputDataSet::prepare(std::string &error)
{
    if (prepared_) return true;
    writeBehind_.finish();
    if (failed_) {
        error = "The data set " + qualifiedName() +
                " was not replaced because of the errors above.";
        discard();
        return false;
    }
    bool ok = headerWritten_ || writeHeader(error);
    ok = ok && writer_.finish(error);
    if (ok) {
        description_.observations = rows_;
        description_.csvBytes = writer_.size();
        int fd = makeTemporaryBeside(finalSidecar_, temporarySidecar_, &heldSidecar_);
        if (fd < 0) {
            error = "The sidecar " + finalSidecar_ + " cannot be written: " + std::strerror(errno) +
                    ".";
            ok = false;
        } else {
            ::close(fd);
            ok = writeSidecar(temporarySidecar_, description_, error);
        }
    }
    if (!ok) {
        discard();
        return false;
    }
    prepared_ = true;
    return true;
}

void OutputDataSet::addFilesToCommit(std::vector<CommitFile> &files) const
{
    files.push_back({temporarySidecar_, finalSidecar_});
    files.push_back({temporaryCsv_, finalCsv_});
}

void OutputDataSet::markCommitted()
{
    for (const std::string *temporary : {&temporaryCsv_, &temporarySidecar_}) forgetFileOnSignals(*temporary);
    temporaryCsv_.clear();
    temporarySidecar_.clear();
    releaseTemporaries();
    finished_ = true;
}

void OutputDataSet::releaseTemporaries()
{
    for (int *held : {&heldCsv_, &heldSidecar_}) {
        if (*held >= 0) ::close(*held);
        *held = -1;
    }
}

void OutputDataSet::discard()
{
    writeBehind_.finish();
    writer_.abandon();
    for (const std::string *temporary : {&temporaryCsv_, &temporarySidecar_}) {
        if (temporary->empty()) continue;
        ::unlink(temporary->c_str());
        forgetFileOnSignals(*temporary);
    }
    temporaryCsv_.clear();
    temporarySidecar_.clear();
    releaseTemporaries();
    finished_ = true;
}

}  // namespace orvhost
