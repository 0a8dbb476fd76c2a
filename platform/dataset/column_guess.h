/*
 * column_guess.h - the types of a CSV file's columns guessed from their
 * cells, when no sidecar describes them: in one pass, or over pieces of the
 * file taken in turn by threads.
 *
 * Exports: ColumnGuess, guessRow, mergeGuesses, usableProcessors,
 * kLeastBytesPerPiece, kMostGuessPieces, guessInPieces.
 */
#ifndef ORV_PLATFORM_DATASET_COLUMN_GUESS_H
#define ORV_PLATFORM_DATASET_COLUMN_GUESS_H

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dataset/value_text.h"

namespace orvhost {

/* How a column's values are read when there is no sidecar. */
struct ColumnGuess {
    bool numbers = true;   /* every value so far is a number or missing */
    bool dates = true;     /* every non-missing value is an ISO date */
    bool datetimes = true; /* every non-missing value is an ISO datetime */
    bool anyValue = false;
    size_t longest = 0;
    LastIsoMonth month; /* of the last bare date, which the next one likely shares */
};

/* Takes the cells of one row into the guesses of their columns.
 * REQUIRES: fields.size() == guesses.size(). */
void guessRow(std::span<const std::string_view> fields, std::span<ColumnGuess> guesses);

/* Takes the guesses made over another part of the file into into: the
 * result is the guess over both parts. */
void mergeGuesses(std::span<const ColumnGuess> other, std::span<ColumnGuess> into);

/* Processors this process may run on (at least 1). */
size_t usableProcessors();

/* The least bytes of a piece: files of fewer than two pieces are not
 * split, threads would not pay. */
constexpr int64_t kLeastBytesPerPiece = int64_t{1} << 20;

/* Pieces at most: many more than threads, so that a thread that shares its
 * processor with another takes fewer of them, and the slowest thread holds
 * the others up by one piece at most. */
constexpr size_t kMostGuessPieces = 64;

/* Guesses the columns of the data rows of path, which start at byte
 * dataStart, on at most mostThreads threads at once (the calling one
 * included).  The rows are cut into pieces of leastBytes or more (at most
 * kMostGuessPieces, each starting after a line end), which the threads
 * take in turn, so that a thread slowed down takes fewer.  True with the
 * guesses (as guessRow makes them over every row) and the number of rows;
 * false, with guesses and rows untouched, when the pieces were not read:
 * mostThreads below 2, fewer than two pieces, a quote anywhere in the rows
 * (a quoted line end could split a record between pieces), a row whose
 * field count is not guesses.size(), or a read error.  The caller then
 * reads the file in one pass, which reports what is wrong.  A thread that
 * cannot be made leaves its pieces to the others.  The threads allocate no
 * memory. */
bool guessInPieces(const std::string &path, int64_t dataStart, size_t mostThreads,
                   int64_t leastBytes, std::vector<ColumnGuess> &guesses, int64_t *rows);

}  // namespace orvhost

#endif
