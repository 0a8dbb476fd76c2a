/*
 * read_ahead.cpp - the read-ahead thread of an input data set.
 */
#include "platform/dataset/read_ahead.h"

#include <algorithm>

namespace orvhost {

namespace {
/* Bytes of the whole ring (rows and their positions): fixed, whatever the
 * size of the file, and large enough that the sides wake each other only
 * every few thousand rows. */
constexpr size_t kRingBytes = size_t{256} << 10;
constexpr size_t kLeastRowsPerChunk = 8;
}  // namespace

void ReadAhead::open(CsvReader &reader, size_t rowSize, FillRow fill, void *owner)
{
    reader_ = &reader;
    rowSize_ = rowSize;
    rowsPerChunk_ = rowsPerChunk(rowSize);
    for (Chunk &chunk : chunks_) {
        chunk.rows.assign(rowsPerChunk_ * std::max<size_t>(rowSize, 1), 0);
        chunk.wheres.resize(rowsPerChunk_);
    }
    fill_ = fill;
    owner_ = owner;
}

size_t ReadAhead::rowsPerChunk(size_t rowSize)
{
    return std::max(kRingBytes / kChunks / (rowSize + sizeof(Where)), kLeastRowsPerChunk);
}

bool ReadAhead::start()
{
    stop();
    return thread_.start([](void *self) { static_cast<ReadAhead *>(self)->run(); }, this);
}

template <class Ready>
void ReadAhead::waitUntil(Ready ready, std::atomic<bool> &waiting)
{
    /* A chunk takes microseconds: spinning a little saves the sleep and
     * wake-up of both sides. */
    for (int spin = 0; spin < kSpins; ++spin) {
        if (ready()) return;
#if defined(__x86_64__) || defined(__i386__)
        __builtin_ia32_pause();
#endif
    }
    std::unique_lock<std::mutex> lock(mutex_);
    waiting.store(true);
    changed_.wait(lock, ready);
    waiting.store(false);
}

void ReadAhead::wake(const std::atomic<bool> &waiting)
{
    if (waiting.load()) wakeSleeper(mutex_, changed_);
}

void ReadAhead::run()
{
    for (size_t k = 0;; k = (k + 1) % kChunks) {
        Chunk &chunk = chunks_[k];
        if (chunk.full.load()) {
            /* The ring is full: the thread waits until the data set has
             * taken half of it, so that it is woken once for half a ring
             * when the data set is the slower side. */
            const size_t last = (k + kWakeChunks - 1) % kChunks;
            producerWaitsFor_.store(last);
            waitUntil([&] { return stopRequested_.load() || !chunks_[last].full.load(); },
                      producerWaiting_);
        }
        if (stopRequested_.load()) return;
        size_t count = 0;
        bool ended = false;
        uint8_t *rows = chunk.rows.data();
        Where *wheres = chunk.wheres.data();
        while (count < rowsPerChunk_) {
            if (stopRequested_.load(std::memory_order_relaxed)) return;
            const Where after{reader_->offset(), reader_->line()};
            if (reader_->nextPlain() != CsvReader::Result::Record ||
                !fill_(owner_, reader_->fields(), rows + count * rowSize_)) {
                ended = true;
                chunk.resume = after;
                break;
            }
            wheres[count++] = {reader_->recordOffset(), reader_->recordLine()};
        }
        chunk.count = count;
        chunk.ended = ended;
        if (ended) producerEnded_.store(true);
        chunk.full.store(true);
        if (ended || consumerWaitsFor_.load() == k) wake(consumerWaiting_);
        if (ended) return;
    }
}

bool ReadAhead::nextFromRing(const uint8_t **row, const Where **where)
{
    if (!thread_.joinable()) return false;
    for (;;) {
        Chunk &chunk = chunks_[taking_];
        if (!holding_ && !chunk.full.load()) {
            /* The ring is empty: the data set waits until half of it is
             * filled, or the thread ended, so that it is woken once for
             * half a ring when the thread is the slower side. */
            const size_t last = (taking_ + kWakeChunks - 1) % kChunks;
            consumerWaitsFor_.store(last);
            waitUntil([&] { return chunks_[last].full.load() || producerEnded_.load(); },
                      consumerWaiting_);
            consumerWaitsFor_.store(kChunks);
        }
        if (!holding_) {
            holding_ = true;
            taken_ = 0;
            heldCount_ = chunk.count;
            heldRows_ = chunk.rows.data();
            heldWheres_ = chunk.wheres.data();
        }
        if (taken_ < heldCount_) {
            *row = heldRows_ + taken_ * rowSize_;
            *where = &heldWheres_[taken_];
            ++taken_;
            return true;
        }
        if (chunk.ended) {
            resume_ = chunk.resume;
            return false;
        }
        chunk.full.store(false);
        if (producerWaitsFor_.load() == taking_) wake(producerWaiting_);
        holding_ = false;
        taking_ = (taking_ + 1) % kChunks;
    }
}

void ReadAhead::stop()
{
    if (thread_.joinable()) {
        stopRequested_.store(true);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            changed_.notify_all();
        }
        thread_.join();
    }
    stopRequested_.store(false);
    producerEnded_.store(false);
    for (Chunk &chunk : chunks_) chunk.full.store(false);
    taking_ = 0;
    holding_ = false;
    taken_ = 0;
}

size_t ReadAhead::heldBytes() const
{
    size_t bytes = 0;
    for (const Chunk &chunk : chunks_)
        bytes += chunk.rows.capacity() + chunk.wheres.capacity() * sizeof(Where);
    return bytes;
}

}  // namespace orvhost
