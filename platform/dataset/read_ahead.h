/*
 * read_ahead.h - a thread that reads and parses the rows of a data set's
 * CSV file ahead of the step, into a fixed ring of binary rows.
 *
 * The thread reads with the data set's own reader, which the data set
 * leaves alone while the thread runs, and takes only what it can read
 * without allocating memory: plain records (no quote) whose cells its fill
 * routine accepts.  At the end of the file, and at the first record it
 * cannot take, it ends; the data set's reader then goes on from the byte
 * after the last row handed out, so every message (a bad cell, a malformed
 * record, a read error) comes from the same reader as without the thread,
 * at the same row, with the same text.
 *
 * The ring holds kChunks chunks of rows: the thread fills one while the
 * data set takes the rows of another.  Everything is allocated by open(),
 * on the calling thread; start() and stop() are called there too, and
 * stop() (also the destructor) joins the thread.
 *
 * Exports: class ReadAhead.
 */
#ifndef ORV_PLATFORM_DATASET_READ_AHEAD_H
#define ORV_PLATFORM_DATASET_READ_AHEAD_H

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <span>
#include <string_view>
#include <vector>

#include "platform/dataset/csv_reader.h"
#include "platform/dataset/worker_thread.h"

namespace orvhost {

class alignas(kCacheLine) ReadAhead {
public:
    /* Fills the binary row at row from the fields of one record; false when
     * a cell cannot be taken (the data set's own parse reports it).  Must
     * not allocate memory: it runs on the thread. */
    using FillRow = bool (*)(void *owner, std::span<const std::string_view> fields,
                             uint8_t *row);

    /* Where a row's record starts. */
    struct Where {
        int64_t offset, line;
    };

    ReadAhead() = default;
    ~ReadAhead() { stop(); }
    ReadAhead(const ReadAhead &) = delete;
    ReadAhead &operator=(const ReadAhead &) = delete;

    /* Makes the ring for rows of rowSize bytes, filled with fill(owner, ...)
     * from the records of reader (whose fields limitFields() bounds). */
    void open(CsvReader &reader, size_t rowSize, FillRow fill, void *owner);

    /* Starts the thread at the reader's position; the caller leaves the
     * reader alone until stop().  False when no thread can be started. */
    bool start();

    /* Takes the next row: true with *row (valid until the next call) and
     * *where; false when the thread ended (at the end of the file or at a
     * record it could not take) and every row it read was taken: resume()
     * then tells where the reader is to go on. */
    bool next(const uint8_t **row, const Where **where)
    {
        /* Mostly the next row of the chunk held. */
        if (holdsRow()) {
            *row = heldRows_ + taken_ * rowSize_;
            *where = &heldWheres_[taken_];
            ++taken_;
            return true;
        }
        return nextFromRing(row, where);
    }

    /* After next() returned false: the byte offset and line after the last
     * row handed out. */
    Where resume() const { return resume_; }

    /* Stops the thread and joins it; the rows not taken are dropped. */
    void stop();

    bool running() const { return thread_.joinable(); }

    /* True when next() has a row at hand, without waiting. */
    bool holdsRow() const { return holding_ && taken_ < heldCount_; }

    /* Rows of rowSize bytes in one chunk of the ring. */
    static size_t rowsPerChunk(size_t rowSize);

    /* Bytes of memory held by the ring. */
    size_t heldBytes() const;

    /* Chunks in the ring. */
    static constexpr size_t kChunks = 8;

private:
    /* next() once the chunk held is taken, or none is held. */
    bool nextFromRing(const uint8_t **row, const Where **where);
    /* A side that waits for the other is woken when this many chunks are
     * ready for it: few wake-ups, and enough rows left for the side that
     * goes on while the other wakes. */
    static constexpr size_t kWakeChunks = kChunks / 2;
    /* A cache line: what one side writes often stays off the other's. */
    static constexpr size_t kLine = kCacheLine;
    struct alignas(kLine) Chunk {
        std::vector<uint8_t, CacheLineAllocator<uint8_t>> rows;
        std::vector<Where, CacheLineAllocator<Where>> wheres;
        size_t count = 0;
        bool ended = false; /* the thread ended after this chunk */
        Where resume{};     /* when ended: after its last row */
        std::atomic<bool> full{false}; /* handed to the data set */
    };
    /* Spins of a side waiting before it sleeps. */
    static constexpr int kSpins = 1024;

    /* The thread: fills the chunks in turn until the end or a stop. */
    void run();
    /* Waits until ready(), spinning a little, then sleeping with waiting
     * set. */
    template <class Ready>
    void waitUntil(Ready ready, std::atomic<bool> &waiting);
    /* Wakes the other side when it sleeps (waiting set). */
    void wake(const std::atomic<bool> &waiting);

    CsvReader *reader_ = nullptr;
    size_t rowSize_ = 0;
    size_t rowsPerChunk_ = 0;
    FillRow fill_ = nullptr;
    void *owner_ = nullptr;
    Chunk chunks_[kChunks];

    WorkerThread thread_;
    std::mutex mutex_;
    std::condition_variable changed_;
    alignas(kLine) std::atomic<bool> stopRequested_{false};
    std::atomic<bool> producerWaiting_{false}; /* the thread sleeps */
    std::atomic<size_t> producerWaitsFor_{kChunks}; /* the chunk it waits for */
    std::atomic<bool> producerEnded_{false}; /* the thread filled its last chunk */
    alignas(kLine) std::atomic<bool> consumerWaiting_{false}; /* the data set sleeps */
    std::atomic<size_t> consumerWaitsFor_{kChunks}; /* the chunk it waits for */

    /* The data set's side: the chunk held (a copy of what it needs of it). */
    alignas(kLine) size_t taking_ = 0; /* chunk whose rows are being taken */
    bool holding_ = false;              /* taking_ is full and held */
    size_t taken_ = 0;                  /* rows of taking_ taken */
    size_t heldCount_ = 0;
    const uint8_t *heldRows_ = nullptr;
    const Where *heldWheres_ = nullptr;
    Where resume_{};
};

}  // namespace orvhost

#endif
