/*
 * column_guess.cpp - column types guessed from the cells, in one pass or
 * over pieces of the file on threads.
 */
#include "platform/dataset/column_guess.h"

#include <fcntl.h>
#include <sched.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

#include "platform/dataset/csv_reader.h"
#include "platform/dataset/value_text.h"
#include "platform/dataset/worker_thread.h"

namespace orvhost {

namespace {

constexpr size_t kMostPieces = 8;
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

/* One piece of the file: the rows that start in [start, end). */
struct Piece {
    CsvReader reader;
    int64_t start = 0, end = 0;
    std::vector<ColumnGuess> guesses;
    int64_t rows = 0;
    bool read = false; /* every row of the piece was plain and complete */
};

/* Reads the rows of a piece into its guesses (on a thread of its own:
 * nothing here allocates). */
void guessPiece(Piece &piece)
{
    for (;;) {
        const CsvReader::Result result = piece.reader.nextPlain();
        if (result == CsvReader::Result::End) break;
        if (result != CsvReader::Result::Record) return;
        if (piece.reader.recordOffset() >= piece.end) break;
        const std::span<const std::string_view> fields = piece.reader.fields();
        if (fields.size() != piece.guesses.size()) return;
        guessRow(fields, piece.guesses);
        ++piece.rows;
    }
    piece.read = true;
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
        switch (numberCellKind(fields[i])) {
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

bool guessInPieces(const std::string &path, int64_t dataStart, size_t mostPieces,
                   int64_t leastBytes, std::vector<ColumnGuess> &guesses, int64_t *rows)
{
    if (mostPieces < 2 || leastBytes < 1) return false;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const int64_t size = ::lseek(fd, 0, SEEK_END);
    const int64_t bytes = size - dataStart;
    const size_t wanted =
        bytes > 0 ? std::min({mostPieces, kMostPieces, size_t(bytes / leastBytes)}) : 0;
    /* Where each piece starts: after a line end near its share. */
    std::vector<int64_t> starts{dataStart};
    for (size_t k = 1; k < wanted; ++k) {
        const int64_t start = afterLineEnd(fd, dataStart + bytes * int64_t(k) / int64_t(wanted));
        if (start > starts.back() && start < size) starts.push_back(start);
    }
    ::close(fd);
    if (starts.size() < 2) return false;

    /* Everything the threads use is made here, on this thread. */
    std::vector<Piece> pieces(starts.size());
    for (size_t k = 0; k < pieces.size(); ++k) {
        Piece &piece = pieces[k];
        std::string error;
        if (!piece.reader.open(path, error) || !piece.reader.seek(starts[k], 1, error))
            return false;
        piece.reader.limitFields(guesses.size());
        piece.start = starts[k];
        piece.end = k + 1 < starts.size() ? starts[k + 1] : size;
        piece.guesses.assign(guesses.size(), ColumnGuess{});
    }
    /* The calling thread reads the first piece; a piece whose thread
     * cannot be made is left unread, and the one pass reads the file. */
    std::array<WorkerThread, kMostPieces> threads;
    for (size_t k = 1; k < pieces.size(); ++k)
        threads[k].start([](void *piece) { guessPiece(*static_cast<Piece *>(piece)); }, &pieces[k]);
    guessPiece(pieces[0]);
    for (WorkerThread &thread : threads) thread.join();
    for (const Piece &piece : pieces)
        if (!piece.read) return false;

    *rows = 0;
    for (const Piece &piece : pieces) {
        mergeGuesses(piece.guesses, guesses);
        *rows += piece.rows;
    }
    return true;
}

}  // namespace orvhost
