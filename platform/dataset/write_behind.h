/*
 * write_behind.h - the data-set store's write-behind: a thread that formats
 * and writes the rows of output data sets while the step goes on.
 *
 * The step hands each row over as its bytes (OutputDataSet's row: numbers
 * and blank-padded texts) into batches of fixed size, mostly by making the
 * row in place in the batch, which the thread turns into CSV text through
 * the output's own row writer.  Everything the
 * thread uses is allocated on the step's thread when the thread starts:
 * the thread itself allocates nothing, writes no log line and never grows
 * a writer's buffer.
 *
 * The log stays as writing on the step's thread would leave it.  A write
 * that fails on the thread stops it at that row until the step's thread
 * has logged the failure; log lines written meanwhile are held back (the
 * store's Log passes them through holds()) and written once every row
 * handed over before them is written, so that the failure's error line
 * stands among them exactly where a write on the step's thread would have
 * put it.  The output's later rows are then dropped, as its writes would
 * have failed.
 *
 * Rows too wide for a batch, and every row when the thread cannot be had
 * (no memory for it) or the process may use only one CPU, are written on
 * the step's thread as before.
 *
 * Exports: class WriteBehind, WriteBehindUse, setWriteBehindForTests.
 */
#ifndef ORV_PLATFORM_DATASET_WRITE_BEHIND_H
#define ORV_PLATFORM_DATASET_WRITE_BEHIND_H

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <string_view>

#include "platform/dataset/cache_line.h"
#include "platform/dataset/worker_thread.h"
#include "platform/log.h"

namespace orvhost {

class OutputDataSet;

class WriteBehind final : public LogGate {
public:
    explicit WriteBehind(Log &log) : log_(log) {}
    ~WriteBehind() { finish(); }
    WriteBehind(const WriteBehind &) = delete;
    WriteBehind &operator=(const WriteBehind &) = delete;

    /* Hands row `rowNumber` of output (rowBytes bytes at row) to the
     * thread, starting it when it is not running.  True when the row was
     * handed over, or lost because a failure of the output's writes was
     * logged meanwhile (output.failed() then tells); false when the row is
     * too wide for a batch or the thread cannot be had: the caller writes
     * the row itself.  REQUIRES: every earlier row of output was handed
     * over, or written by the caller before the thread last finished. */
    bool handOver(OutputDataSet &output, const uint8_t *row, size_t rowBytes, int64_t rowNumber)
    {
        /* Most rows go into the batch being filled, which they leave with
         * room for one more. */
        if (filling_ != nullptr && filling_->output == &output && (filling_->count + 2) * rowBytes <= kBatchBytes) {
            std::memcpy(filling_->rows + filling_->count * rowBytes, row, rowBytes);
            ++filling_->count;
            ++seq_;
            return true;
        }
        if (unavailable_) return false; /* the caller writes every row itself */
        return handOverToNewBatch(output, row, rowBytes, rowNumber);
    }

    /* A place in the batch being filled where output's next row (number
     * rowNumber, of rowBytes bytes) may be made and then handed over by
     * handOverInPlace, without a copy.  Null when the row is too wide for a
     * batch, the thread cannot be had or the output failed: the caller
     * makes the row in its own memory.  Whenever the batch is handed over
     * before that row (another output's row, a log line, the end), the
     * place is taken back first: the output's takeRowBack() copies what it
     * needs of it into its own row. */
    uint8_t *placeFor(OutputDataSet &output, size_t rowBytes, int64_t rowNumber)
    {
        /* Most rows follow the last one in the batch being filled, which
         * is left with room for one more. */
        if (filling_ != nullptr && filling_->output == &output && filling_->rowBytes == rowBytes) {
            placeOwner_ = &output;
            return placeAt(*filling_, filling_->count);
        }
        if (unavailable_) return nullptr;
        return placeInNewBatch(output, rowBytes, rowNumber);
    }

    /* handOverInPlace and placeFor at once, for most rows: hands over the
     * row made at output's place and answers the place of output's next
     * row, after it in the same batch.  Null, with nothing done, when
     * output's row is not made at its place or the batch has no room for
     * two more rows. */
    uint8_t *handOverAndPlaceNext(const OutputDataSet &output)
    {
        if (placeOwner_ != &output) return nullptr;
        Batch &batch = *filling_;
        const size_t next = batch.count + 1;
        if ((next + 1) * batch.rowBytes > kBatchBytes) return nullptr;
        batch.count = next;
        ++seq_;
        return placeAt(batch, next);
    }

    /* Hands over the row made at the place placeFor last gave output; false
     * when that place was taken back meanwhile. */
    bool handOverInPlace(OutputDataSet &output)
    {
        if (placeOwner_ != &output) return false;
        placeOwner_ = nullptr;
        ++filling_->count;
        ++seq_;
        if ((filling_->count + 1) * filling_->rowBytes > kBatchBytes) handFilling();
        return true;
    }

    /* Waits until every row handed over is written, logs the failures
     * among them, writes the lines held back and ends the thread.  A no-op
     * when it is not running. */
    void finish();

    /* LogGate: holds line while rows handed over before it are not all
     * written. */
    bool holds(std::string_view line) override;

private:
    /* Bytes of the rows of one batch, and batches in the ring: 2 MiB, so
     * that the step can make a BY group's rows in one burst (a daily
     * group of ten years with a few dozen columns is about 1 MiB) while
     * the thread still writes the group before. */
    static constexpr size_t kBatchBytes = size_t{32} << 10;
    static constexpr int64_t kBatches = 64;
    /* Every wake-up of the other thread costs a switch on each side (dear
     * where CPUs are virtual): the step's thread waiting for room is woken
     * once this many batches are free. */
    static constexpr int64_t kWakeStepBatches = kBatches / 2;
    /* The idle thread is woken as soon as this many batches wait: a step
     * mostly makes a BY group's rows in one burst after reading the group,
     * and a thread that slept on until half the ring waited would idle
     * through half of every burst.  Two rather than one, so that a thread
     * faster than the step is not woken for every batch. */
    static constexpr int64_t kWakeThreadBatches = 2;
    /* Bytes and lines of the log that may be held back. */
    static constexpr size_t kHeldBytes = size_t{64} << 10;
    static constexpr size_t kHeldLines = 512;

    /* Each on lines of its own: the step's thread counts the rows of the
     * batch it fills while the thread reads the batches before it. */
    struct alignas(kCacheLine) Batch {
        OutputDataSet *output = nullptr;
        uint8_t *rows = nullptr; /* kBatchBytes bytes */
        size_t rowBytes = 0;
        size_t count = 0;      /* rows in the batch */
        int64_t firstSeq = 0;  /* rows handed over before the first one */
        int64_t firstRow = 0;  /* the output's number of the first row */
        bool dropped = false;  /* the output failed: its rows are not written */
    };
    /* A line held back: rows handed over before it, and its text in held_. */
    struct HeldLine {
        int64_t seq;
        size_t offset;
        size_t length;
    };
    /* A write that failed on the thread, waiting to be logged. */
    struct Failure {
        bool pending = false;
        OutputDataSet *output = nullptr;
        int64_t seq = 0; /* rows handed over before the failed one */
        int64_t row = 0; /* the output's number of the failed row */
    };

    /* Where row `row` of batch is made. */
    static uint8_t *placeAt(const Batch &batch, size_t row) { return batch.rows + row * batch.rowBytes; }

    /* handOver when the row needs a new batch, or ends the one being
     * filled. */
    bool handOverToNewBatch(OutputDataSet &output, const uint8_t *row, size_t rowBytes, int64_t rowNumber);
    /* Makes filling_ a batch of output's rows with room for one, starting
     * the thread when it is not running and waiting for a free batch.
     * False when the thread cannot be had, or when output failed meanwhile
     * (filling_ is then null). */
    bool fillingFor(OutputDataSet &output, size_t rowBytes, int64_t rowNumber);
    /* placeFor when the row needs a new batch. */
    uint8_t *placeInNewBatch(OutputDataSet &output, size_t rowBytes, int64_t rowNumber);
    /* Gives the place of placeOwner_ back to it. */
    void takePlaceBack();
    bool start();
    static void runThread(void *self);
    void run();
    /* Hands the batch being filled (if any rows) to the thread, waking it
     * when it is idle and enough batches wait. */
    void handFilling();
    /* Logs a pending failure after the lines held before it, drops the
     * failed output's rows and lets the thread go on.  REQUIRES: lock
     * held; it is let go meanwhile. */
    void settle(std::unique_lock<std::mutex> &lock);
    /* Writes the held lines of rows handed over up to seq, in order. */
    void releaseUpTo(int64_t seq);
    /* Waits until every batch handed over is written. */
    void drain();
    /* Waits, with the lock held, until the thread has written `done`
     * batches or a failure is pending. */
    void waitForThread(std::unique_lock<std::mutex> &lock, int64_t done);

    Log &log_;
    WorkerThread thread_;
    bool running_ = false;
    bool unavailable_ = false; /* the thread could not be had: no more tries */
    std::unique_ptr<uint8_t[]> batchBytes_;
    Batch batches_[kBatches];
    std::unique_ptr<char[]> held_;
    std::unique_ptr<HeldLine[]> heldLines_;
    size_t heldCount_ = 0, heldFirst_ = 0, heldUsed_ = 0;
    bool releasing_ = false;

    /* Written by the step's thread only. */
    int64_t seq_ = 0;      /* rows handed over, those of the batch being filled included */
    Batch *filling_ = nullptr;
    OutputDataSet *placeOwner_ = nullptr; /* makes its next row in filling_ */

    /* Shared.  The counters pass batches between the threads without a
     * lock: handed_ is written by the step's thread only, done_ and
     * written_ by the thread only.  A side that sleeps sets its flag under
     * mutex_ and looks at the counters once more before it waits; the other
     * side changes a counter before it looks at the flag, so no wake-up is
     * lost.  failure_ and stop_ are under mutex_. */
    std::mutex mutex_;
    std::condition_variable wake_;    /* the thread waits on it */
    std::condition_variable settled_; /* the step's thread waits on it */
    alignas(kCacheLine) std::atomic<int64_t> handed_{0}; /* batches handed over */
    /* While the step's thread waits in waitForThread: the count of batches
     * done at which the thread wakes it. */
    static constexpr int64_t kNever = INT64_MAX;
    std::atomic<int64_t> stepWakesAt_{kNever};
    alignas(kCacheLine) std::atomic<int64_t> done_{0};   /* batches the thread has written */
    std::atomic<int64_t> written_{0};      /* rows written or dropped, in handing order */
    std::atomic<bool> threadIdle_{false};  /* the thread waits for batches */
    std::atomic<bool> failurePending_{false}; /* failure_.pending, read without the lock */
    Failure failure_;
    bool stop_ = false;
};

/* When rows are handed over: as the CPUs allow (the default), always
 * (even on one CPU), or never (as when the thread cannot be had). */
enum class WriteBehindUse { AsCpusAllow, Always, Never };

/* For tests: sets when rows are handed over. */
void setWriteBehindForTests(WriteBehindUse use);

}  // namespace orvhost

#endif
