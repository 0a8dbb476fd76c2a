/*
 * column_guess.cpp - column types guessed from the cells, in one pass or
 * over pieces of the file taken in turn by threads.
 */
#include "platform/dataset/column_guess.h"

#include <fcntl.h>
#include <sched.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>

#include "platform/dataset/cache_line.h"
#include "platform/dataset/csv_reader.h"
#include "platform/dataset/value_text.h"
#include "platform/dataset/worker_thread.h"

namespace orvhost {

namespace {

/* Threads at most, the calling one included. */
constexpr size_t kMostThreads = 8;
/* A piece starts after the first line end at or after its share of the
 * file; a line end is looked for this far, in blocks of kLookBytes. */
constexpr size_t kLookBytes = 4096;
constexpr int kMostLooks = 16;

/* The byte after the first LF at or after `from` in fd, or -1 when none
 * is found within kMostLooks blocks (or on a read error). */
int64_t afterLineEnd(int fd, int64_t from)
{
    std::array<char, kLookBytes> block;
    for (int look = 0; look < kMostLooks; ++look) {
        const ssize_t got = ::pread(fd, block.data(), block.size(), from);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return -1;
        if (const void *lf = std::memchr(block.data(), '\n', size_t(got)))
            return from + (static_cast<const char *>(lf) - block.data()) + 1;
        from += got;
    }
    return -1;
}

/* The pieces and how far the threads have taken them. */
struct Pieces {
    std::vector<int64_t> starts; /* piece k: the rows that start in [starts[k], starts[k + 1]) */
    alignas(kCacheLine) std::atomic<size_t> next{0}; /* the next piece to be taken */
    std::atomic<bool> failed{false};                 /* a piece was not plain and complete */
};

/* What one thread reads with and guesses into, on cache lines of its own
 * (the guesses change with every row). */
struct alignas(kCacheLine) Reading {
    Pieces *pieces = nullptr;
    CsvReader reader;
    std::vector<ColumnGuess, CacheLineAllocator<ColumnGuess>> guesses;
    int64_t rows = 0;
};

/* Reads the rows that start in [start, end) into reading's guesses.  False
 * at a row that is not plain (a quote, too many fields, longer than the
 * reader's buffer, a read error) or not of guesses.size() fields.  Nothing
 * here allocates: seek() keeps the reader's buffer and sets no message
 * when the reader is open and start is not negative. */
bool guessPiece(Reading &reading, int64_t start, int64_t end)
{
    CsvReader &reader = reading.reader;
    std::string none;
    if (!reader.seek(start, 1, none)) return false;
    for (;;) {
        const CsvReader::Result result = reader.nextPlain();
        if (result == CsvReader::Result::End) return true;
        if (result != CsvReader::Result::Record) return false;
        if (reader.recordOffset() >= end) return true;
        const std::span<const std::string_view> fields = reader.fields();
        if (fields.size() != reading.guesses.size()) return false;
        guessRow(fields, reading.guesses);
        ++reading.rows;
    }
}

/* The first processor of allowed after `after` (going round), other than
 * skip; -1 when there is none. */
int nextProcessor(const cpu_set_t &allowed, int after, int skip)
{
    for (int step = 1; step <= CPU_SETSIZE; ++step) {
        const int processor = (after + step) % CPU_SETSIZE;
        if (processor != skip && CPU_ISSET(processor, &allowed)) return processor;
    }
    return -1;
}

/* Takes pieces in turn until none is left or one fails (on a thread of its
 * own, or the calling one). */
void guessPieces(Reading &reading)
{
    Pieces &pieces = *reading.pieces;
    while (!pieces.failed.load(std::memory_order_relaxed)) {
        const size_t k = pieces.next.fetch_add(1, std::memory_order_relaxed);
        if (k + 1 >= pieces.starts.size()) return;
        if (!guessPiece(reading, pieces.starts[k], pieces.starts[k + 1]))
            pieces.failed.store(true, std::memory_order_relaxed);
    }
}

}  // namespace

size_t usableProcessors()
{
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) != 0) return 1;
    return size_t(std::max(CPU_COUNT(&set), 1));
}

void guessRow(std::span<const std::string_view> fields, std::span<ColumnGuess> guesses)
{
    for (size_t i = 0; i < fields.size(); ++i) {
        ColumnGuess &guess = guesses[i];
        guess.longest = std::max(guess.longest, fields[i].size());
        /* A column known to be character needs only its length. */
        if (!guess.numbers && !guess.dates && !guess.datetimes) continue;
        switch (numberCellKind(fields[i], guess.month)) {
        case CellKind::Missing: break;
        case CellKind::Number: guess.dates = guess.datetimes = false; guess.anyValue = true; break;
        case CellKind::Date: guess.numbers = guess.datetimes = false; guess.anyValue = true; break;
        case CellKind::DateTime: guess.numbers = guess.dates = false; guess.anyValue = true; break;
        case CellKind::Text: guess.numbers = guess.dates = guess.datetimes = false; break;
        }
    }
}

void mergeGuesses(std::span<const ColumnGuess> other, std::span<ColumnGuess> into)
{
    for (size_t i = 0; i < into.size(); ++i) {
        into[i].numbers = into[i].numbers && other[i].numbers;
        into[i].dates = into[i].dates && other[i].dates;
        into[i].datetimes = into[i].datetimes && other[i].datetimes;
        into[i].anyValue = into[i].anyValue || other[i].anyValue;
        into[i].longest = std::max(into[i].longest, other[i].longest);
    }
}

bool guessInPieces(const std::string &path, int64_t dataStart, size_t mostThreads,
                   int64_t leastBytes, std::vector<ColumnGuess> &guesses, int64_t *rows)
{
    if (mostThreads < 2 || leastBytes < 1) return false;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const int64_t size = ::lseek(fd, 0, SEEK_END);
    const int64_t bytes = size - dataStart;
    const size_t wanted = bytes > 0 ? std::min(kMostGuessPieces, size_t(bytes / leastBytes)) : 0;
    /* Where each piece starts: after a line end near its share; the last
     * piece ends at the end of the file. */
    Pieces pieces;
    pieces.starts.reserve(wanted + 1);
    pieces.starts.push_back(dataStart);
    for (size_t k = 1; k < wanted; ++k) {
        const int64_t start = afterLineEnd(fd, dataStart + bytes * int64_t(k) / int64_t(wanted));
        if (start > pieces.starts.back() && start < size) pieces.starts.push_back(start);
    }
    ::close(fd);
    const size_t count = pieces.starts.size();
    if (count < 2) return false;
    pieces.starts.push_back(size);

    /* Everything the threads use is made here, on this thread. */
    std::vector<Reading> readings(std::min({mostThreads, kMostThreads, count}));
    for (Reading &reading : readings) {
        std::string error;
        if (!reading.reader.open(path, error)) return false;
        reading.reader.limitFields(guesses.size());
        reading.pieces = &pieces;
        reading.guesses.assign(guesses.size(), ColumnGuess{});
    }
    /* The calling thread takes pieces too.  Each other thread is held to a
     * processor of its own, after this thread's one: a new thread starts
     * on its maker's processor, where the scheduler may leave both for
     * tens of milliseconds while another processor idles.  A thread that
     * cannot be made leaves its share to the others. */
    cpu_set_t allowed;
    const int own = sched_getaffinity(0, sizeof allowed, &allowed) == 0 ? sched_getcpu() : -1;
    int processor = own;
    std::array<WorkerThread, kMostThreads> threads;
    for (size_t t = 1; t < readings.size(); ++t) {
        if (!threads[t].start([](void *reading) { guessPieces(*static_cast<Reading *>(reading)); },
                              &readings[t]))
            continue;
        if (processor >= 0) processor = nextProcessor(allowed, processor, own);
        threads[t].pinTo(processor);
    }
    guessPieces(readings[0]);
    for (WorkerThread &thread : threads) thread.join();
    if (pieces.failed.load(std::memory_order_relaxed)) return false;

    *rows = 0;
    for (const Reading &reading : readings) {
        mergeGuesses(reading.guesses, guesses);
        *rows += reading.rows;
    }
    return true;
}

}  // namespace orvhost
