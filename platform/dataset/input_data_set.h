/*
 * input_data_set.h - a data set open for input: a streaming reader of its
 * CSV file that hands out observations BY group by BY group.
 *
 * Groups are runs of rows with equal BY values.  Unless the BY list is
 * NOTSORTED, each group's values must come after the previous group's in the
 * order of the BY list (DESCENDING reverses one variable); missing values
 * sort before numbers, ._ first, then ., then .A to .Z.  A row that breaks
 * the order fails the data set with a message naming the file and line.
 *
 * Only the current row, one row of look-ahead (the first row of the next
 * group, once seen) and the first row of the current group are held; going
 * back to the start of the group seeks to the byte offset noted for it.  So
 * memory does not grow with the file or with the groups.
 *
 * When another processor is at hand, the rows are read and parsed ahead on
 * a thread (read_ahead.h) into a small fixed ring; the data set's own
 * reader takes over at the first record the thread cannot take, so what
 * is read and reported is the same either way.
 *
 * States: before the first group; in a group (rows remain, perhaps); at the
 * end of a group (the next group's first row held, or the end of the file
 * reached); after the last group; failed.
 *
 * Exports: class InputDataSet.
 */
#ifndef ORV_PLATFORM_DATASET_INPUT_DATA_SET_H
#define ORV_PLATFORM_DATASET_INPUT_DATA_SET_H

#include <cstdint>
#include <string>
#include <vector>

#include "platform/dataset/column_guess.h"
#include "platform/dataset/csv_reader.h"
#include "platform/dataset/data_set.h"
#include "platform/dataset/read_ahead.h"
#include "platform/dataset/short_bytes.h"
#include "platform/dataset/value_text.h"

namespace orvhost {

class InputDataSet : public DataSet {
public:
    InputDataSet(DataSetStore &store, std::string libref, std::string member);
    /* Joins the read-ahead thread. */
    ~InputDataSet() override;

    /* Opens csvPath, described by the sidecar at sidecarPath, or by
     * inference when sidecarPath is "", and reads the header.  False with a
     * message in error naming the file and line. */
    bool open(const std::string &csvPath, const std::string &sidecarPath, std::string &error);

    /* Sets the BY list (1-based numbers, negative = DESCENDING).  Only
     * before the first group was started.  0, kDataSetStatusBadArgument (a
     * number outside the data set, or reading has begun). */
    int setByList(std::vector<int> numbers, bool notSorted);

    /* Moves to the next group, skipping the rest of the current one.
     * Returns the 1-based number of the first BY variable whose value
     * differs from the previous group (1 for the first group, also without
     * BY variables), or 0 when there is no further group or the data set
     * failed. */
    int nextGroup();

    /* Delivers the next row of the current group into handle.row (starting
     * the first group when none was started).  0; ORV_DS_END_OF_GROUP with
     * handle.row null at the end of the group; a negative status (the
     * failure is logged) with handle.row null. */
    int readInGroup()
    {
        /* Mostly the group's next row, read ahead and held. */
        if (phase_ == Phase::InGroup && !waiting_ && !pending_ && aheadUsable_ && ahead_.holdsRow()) {
            takeHeldRow(next_, nextPosition_);
            return deliverNext();
        }
        return readInGroupInFull();
    }

    /* Goes back to the first row of the current group.  0 or the failure
     * status. */
    int rewindGroup();

    /* Positions this data set (the follower) on the group whose BY values
     * equal lead's current ones, pairing this data set's BY variables with
     * the first ones of lead's list.  0 when such a group was found (its
     * rows come next); 1 when there is none: this data set then waits
     * before its next greater group, reads end at once, and the next sync or
     * xbynext starts from that group.  A negative status on failure. */
    int syncTo(InputDataSet &lead);

    /* The number of the row last delivered (1-based in the file), 0 before
     * the first. */
    int64_t currentObservation() const { return lastDelivered_; }

    /* Makes observation n (1-based) the next row delivered; with BY
     * variables its group is taken to start at n.  0; kDataSetStatusBadArgument
     * when there is no such observation; a failure status. */
    int pointTo(int64_t n);

    /* Observations when known without reading the file (the sidecar's count
     * for a file of the size it names, or the count made when the file was
     * described by inference), else -1. */
    int64_t knownObservations() const { return knownObservations_; }

    /* Observations, counted by reading the file when they are not known;
     * -1 when the file cannot be read. */
    int64_t countedObservations();

    /* The first row of the current group (its BY values), or null before the
     * first group. */
    const uint8_t *groupRow() const { return groupStarted_ ? groupRow_.data() : nullptr; }

    /* Bytes the data set holds for reading (reader and rows). */
    size_t heldBytes() const;

private:
    struct Position {
        int64_t offset = 0;
        int64_t line = 0;
        int64_t observation = 0; /* 1-based number of the row there */
    };
    enum class Phase { BeforeGroups, InGroup, GroupEnded, AfterGroups, Failed };

    bool describe(const std::string &sidecarPath, std::string &error);
    /* Describes the columns by their cells: over pieces of the file on
     * threads when it can, else in one pass. */
    bool infer(std::string &error);
    /* Guesses the columns in one pass over the file, counting its rows.
     * False with a message in error when a row cannot be read or has the
     * wrong number of fields. */
    bool inferInOnePass(std::vector<ColumnGuess> &guesses, int64_t *rows, std::string &error);
    bool checkHeader(std::span<const std::string_view> header, bool fromSidecar,
                     const std::string &sidecarPath, std::string &error);

    /* Reads the next row of the file into row.  0; ORV_DS_END_OF_GROUP at
     * the end of the file; a failure status (logged, the data set failed). */
    int readRow(std::vector<uint8_t> &row, Position &where);
    /* Fills the binary row from the fields of a record through the date
     * columns' months.  False when a field does not fit its variable (or
     * the count is wrong), with the message for line in *error unless error
     * is null; with a null error nothing is allocated. */
    bool fillRow(std::span<const std::string_view> fields, uint8_t *row, LastIsoMonth *months,
                 int64_t line, std::string *error) const;
    /* The read-ahead thread's fill routine (see ReadAhead::FillRow). */
    static bool fillAheadRow(void *owner, std::span<const std::string_view> fields, uint8_t *row);
    /* Takes the next row from the read-ahead thread, starting it when it
     * does not run.  True when that settled the read: *status 0 with the
     * row, or a failure status.  False when this data set's own reader is
     * to read the row (no thread, or the thread ended; the reader then
     * stands after the last row taken). */
    bool takeAheadRow(std::vector<uint8_t> &row, Position &where, int *status);
    /* Takes the next row the read-ahead holds into row.  REQUIRES:
     * ahead_.holdsRow(). */
    void takeHeldRow(std::vector<uint8_t> &row, Position &where)
    {
        const uint8_t *aheadRow = nullptr;
        const ReadAhead::Where *at = nullptr;
        ahead_.next(&aheadRow, &at);
        useAheadRow(aheadRow, *at, row, where);
    }
    /* Copies aheadRow, read at `at`, into row, with where it was read. */
    void useAheadRow(const uint8_t *aheadRow, const ReadAhead::Where &at, std::vector<uint8_t> &row,
                     Position &where)
    {
        copyShortBytes(row.data(), aheadRow, rowSize_);
        where = {at.offset, at.line, ++rowsRead_};
        noteCheckpoint(where);
    }
    /* readInGroup for every case. */
    int readInGroupInFull();
    /* Delivers the row read into next_ when it belongs to the group; else
     * ends the group (ORV_DS_END_OF_GROUP) or fails when the rows are not
     * sorted, with handle.row null. */
    int deliverNext()
    {
        if (!sameByBytes(groupRow_.data(), next_.data())) return deliverNextOfOtherBytes();
        return deliver();
    }
    /* deliverNext when the row's BY bytes are not the group's. */
    int deliverNextOfOtherBytes();
    /* Makes the row in next_ the current one.  0. */
    int deliver()
    {
        pending_ = false;
        current_.swap(next_);
        lastDelivered_ = nextPosition_.observation;
        handle.row = current_.data();
        return 0;
    }
    /* Notes a checkpoint at where when one is due (the test inline: it is
     * made for every row). */
    void noteCheckpoint(const Position &where)
    {
        if (where.observation == checkpoints_.back().observation + checkpointInterval_) addCheckpoint(where);
    }
    /* Notes where as a checkpoint, thinning the notes when they are too
     * many. */
    void addCheckpoint(const Position &where);
    int fail(int status, const std::string &message);
    bool seekTo(const Position &position);
    int waitBeforeCurrentGroup();

    /* Compares the BY values of two rows in BY order: negative when a comes
     * first, positive when b does, 0 when equal; *firstDifferent gets the
     * 1-based number of the first BY variable that differs (0 when none). */
    int compareBy(const uint8_t *a, const uint8_t *b, int *firstDifferent) const;
    /* True when the BY cells of two rows hold the same bytes (then
     * compareBy gives 0).  Inline: it is asked for every row. */
    bool sameByBytes(const uint8_t *a, const uint8_t *b) const
    {
        for (const ByteRun &run : byRuns_)
            if (!sameShortBytes(a + run.offset, b + run.offset, run.bytes)) return false;
        return true;
    }

    /* The bytes of the BY values in a row: runs of adjoining cells. */
    struct ByteRun {
        size_t offset;
        size_t bytes;
    };
    std::vector<ByteRun> byRuns_;
    /* The read-ahead thread writes the reader: it has lines of its own. */
    alignas(kCacheLine) CsvReader reader_;
    alignas(kCacheLine) std::string path_;
    size_t rowSize_ = 0;
    std::vector<uint8_t> current_, next_, groupRow_;
    std::vector<LastIsoMonth> lastMonths_; /* of each column, for fillRow */
    /* The same, on the read-ahead thread. */
    std::vector<LastIsoMonth, CacheLineAllocator<LastIsoMonth>> aheadMonths_;
    Position dataStart_, groupStart_, nextPosition_;
    std::vector<Position> checkpoints_; /* every checkpointInterval_ rows */
    int64_t checkpointInterval_;
    Phase phase_ = Phase::BeforeGroups;
    bool pending_ = false;       /* next_ holds the next group's first row */
    int pendingChange_ = 0;
    bool groupStarted_ = false;
    bool waiting_ = false;       /* after a failed sync: reads end at once */
    int64_t rowsRead_ = 0;       /* number of the last row read from the file */
    int64_t lastDelivered_ = 0;
    int64_t knownObservations_ = -1;
    int64_t countedObservations_ = -1;
    int failure_ = 0;
    bool aheadWanted_ = false; /* another processor is at hand */
    bool aheadUsable_ = false; /* the thread may read on (until it ends or a seek) */
    ReadAhead ahead_;          /* last: joined before the rest goes */
};

}  // namespace orvhost

#endif
