/*
 * output_data_set.h - a data set open for output.
 *
 * Rows go to a temporary file in the library's directory; prepare() writes
 * them out with the sidecar beside them, the store puts both in place with
 * the other outputs of the step (platform/dataset/commit_record.h), and
 * discard() removes them.  Until then the previous version of the data set
 * (if any) stays as it was.
 *
 * Variables are defined through one output binding (xvputi ... xvpute);
 * endDefinition() fixes the row layout and gives the handle its row, into
 * which xyvput moves the values that writeRow() then writes, or hands to
 * the store's write-behind thread (platform/dataset/write_behind.h) to be
 * written while the step goes on; prepare() and discard() wait for it.
 *
 * Exports: class OutputDataSet.
 */
#ifndef ORV_PLATFORM_DATASET_OUTPUT_DATA_SET_H
#define ORV_PLATFORM_DATASET_OUTPUT_DATA_SET_H

#include <cstdint>
#include <string>
#include <vector>

#include "platform/dataset/cache_line.h"
#include "platform/dataset/commit_record.h"
#include "platform/dataset/csv_writer.h"
#include "platform/dataset/data_set.h"
#include "platform/dataset/value_text.h"
#include "platform/dataset/write_behind.h"

namespace orvhost {

class OutputDataSet : public DataSet {
public:
    OutputDataSet(DataSetStore &store, std::string libref, std::string member);
    ~OutputDataSet() override;

    /* Makes the temporary file for finalCsvPath (sidecar: finalSidecarPath).
     * False with a message in error. */
    bool create(const std::string &finalCsvPath, const std::string &finalSidecarPath,
                std::string &error);

    /* Adds a variable; its 1-based number, or a negative status:
     * kDataSetStatusNotDefined after endDefinition, kDataSetStatusBadArgument
     * for a bad or repeated name or length (logged; the data set will not be
     * put in place). */
    int addVariable(Variable variable);

    /* Fixes the variables and their row.  0 or kDataSetStatusNotDefined
     * (already ended). */
    int endDefinition();
    bool defined() const { return defined_; }

    /* Writes handle.row as the next row, or hands it to the store's
     * write-behind.  handle.row then points where the next row is to be
     * made: the data set's own row, or a place in the write-behind's batch
     * being filled, holding nothing until xyvput moves the values in (a row
     * written without them is the last row again).  0;
     * kDataSetStatusNotDefined before endDefinition;
     * kDataSetStatusWriteFailed (logged). */
    int writeRow()
    {
        /* Most rows: made at their place in the batch being filled, which
         * has room for the next one after them. */
        if (moved_ && !failed_) {
            uint8_t *row = static_cast<uint8_t *>(handle.row);
            if (uint8_t *next = writeBehind_.handOverAndPlaceNext(*this)) {
                lastRow_ = row;
                handle.observationCount = ++rows_;
                handle.row = next;
                moved_ = false;
                return 0;
            }
        }
        return writeRowInFull();
    }

    /* The write-behind thread writes this data set's rows: the step's
     * thread starts the writing out of their bytes (startWriteback). */
    void leaveWriteback() { writer_.leaveWriteback(); }
    void startWriteback() { writer_.startWriteback(); }

    /* xyvput moved the values of every variable into handle.row. */
    void noteRowMoved() { moved_ = true; }

    /* The write-behind takes back the place of the next row (place):
     * handle.row becomes the data set's own row, holding what was made
     * there, or the last row when nothing was moved in yet. */
    void takeRowBack(const uint8_t *place);

    /* Writes the text of `count` rows, `stride` bytes apart from rows
     * (each the bytes of handle.row as they were), into the file's buffer,
     * and the buffer out whenever it is full; allocates nothing.  Returns
     * the rows written: count, or the number (0-based) of the row whose
     * write failed (see failWrite).  Called by the write-behind thread for
     * the rows handed over, which the step's thread then leaves alone. */
    size_t formatRows(const uint8_t *rows, size_t count, size_t stride);

    /* formatRows for one row: false when its write failed. */
    bool formatRow(const uint8_t *row) { return formatRows(row, 1, 0) == 1; }

    /* Logs that the write of row number `row` (0-based) failed and fails
     * the data set: `row` rows were written. */
    void failWrite(int64_t row);

    /* Writes out the rows, syncs them and writes the sidecar beside them:
     * everything of putting the data set in place that needs room on the
     * disk.  Returns at once after a success.  False with a message in
     * error (the temporary files are removed, the previous version
     * stays). */
    bool prepare(std::string &error);

    /* REQUIRES: prepare() succeeded.  Adds the temporary sidecar and CSV
     * file with the files they replace. */
    void addFilesToCommit(std::vector<CommitFile> &files) const;

    /* The files were put in place: nothing is left to remove. */
    void markCommitted();

    /* The CSV file this data set replaces. */
    const std::string &finalCsv() const { return finalCsv_; }

    /* Removes the temporary files; the previous version stays. */
    void discard();

    /* True after a failure that keeps the data set from being put in place. */
    bool failed() const { return failed_; }
    void markFailed() { failed_ = true; }

    int64_t rowsWritten() const { return rows_; }

    /* At most one output binding defines the variables. */
    bool bound() const { return bound_; }
    void markBound() { bound_ = true; }

private:
    /* How cells of a row are written: `count` numbers without a date or
     * datetime format in adjoining 8-byte fields by the inline
     * putPlainNumberCell, one date by putDateCell from the column's last
     * day, one other number by its format family's writer, or one text of
     * `count` bytes. */
    enum class CellWay { PlainNumbers, Date, FormattedNumber, Text };
    struct CellPlan {
        size_t offset;
        size_t count;
        CellWay way;
        NumberCellWriter number = nullptr; /* for FormattedNumber */
        LastIsoDay lastDay{};              /* for Date */
    };

    /* writeRow for every case. */
    int writeRowInFull();
    bool writeHeader(std::string &error);
    /* Makes handle.row the data set's own row, holding the last row. */
    void useOwnRow();
    /* Makes handle.row the data set's own row, holding the row at source. */
    void holdInOwnRow(const uint8_t *source);

    /* Closes the descriptors that hold the temporary files locked. */
    void releaseTemporaries();

    std::string temporaryCsv_, temporarySidecar_, finalCsv_, finalSidecar_;
    /* Descriptors through which the temporary files are held locked, so
     * that no other run takes them for a gone writer's; -1 for none. */
    int heldCsv_ = -1, heldSidecar_ = -1;
    std::vector<uint8_t> row_;
    WriteBehind &writeBehind_; /* the store's */
    bool defined_ = false;
    bool headerWritten_ = false;
    bool failed_ = false;
    bool prepared_ = false;
    bool finished_ = false;
    bool bound_ = false;
    int64_t rows_ = 0;
    const uint8_t *lastRow_ = nullptr; /* where the last row written was made */
    bool moved_ = false;               /* xyvput moved values in since that row */

    /* What formatRows reads and writes for every row, on the write-behind
     * thread mostly: on cache lines of its own, which the step's thread
     * neither writes nor reads for every row (each time it did, the line
     * would move between the processors). */
    alignas(kCacheLine) CsvWriter writer_;
    /* Of the variables, from endDefinition on. */
    std::vector<CellPlan, CacheLineAllocator<CellPlan>> cells_;
    size_t recordBound_ = 0; /* the most bytes of one record's text */
    int fieldCount_ = 0;     /* of a record: the variables */
};

}  // namespace orvhost

#endif
