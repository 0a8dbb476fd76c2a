/*
 * column_guess.h - the types of a CSV file's columns guessed from their
 * cells, when no sidecar describes them: in one pass, or over pieces of the
 * file on threads of their own.
 *
 * Exports: ColumnGuess, guessRow, mergeGuesses, usableProcessors,
 * kLeastBytesPerPiece, guessInPieces.
 */
#ifndef ORV_PLATFORM_DATASET_COLUMN_GUESS_H
#define ORV_PLATFORM_DATASET_COLUMN_GUESS_H

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orvhost {

/* How a column's values are read when there is no sidecar. */
struct ColumnGuess {
    bool numbers = true;   /* every value so far is a number or missing */
    bool dates = true;     /* every non-missing value is an ISO date */
    bool datetimes = true; /* every non-missing value is an ISO datetime */
    bool anyValue = false;
    size_t longest = 0;
};

/* Takes the cells of one row into the guesses of their columns.
 * REQUIRES: fields.size() == guesses.size(). */
void guessRow(std::span<const std::string_view> fields, std::span<ColumnGuess> guesses);

/* Takes the guesses made over another part of the file into into: the
 * result is the guess over both parts. */
void mergeGuesses(std::span<const ColumnGuess> other, std::span<ColumnGuess> into);

/* Processors this process may run on (at least 1). */
size_t usableProcessors();

/* Files of fewer bytes per piece are not split: threads would not pay. */
constexpr int64_t kLeastBytesPerPiece = int64_t{4} << 20;

/* Guesses the columns of the data rows of path, which start at byte
 * dataStart, over at most mostPieces pieces of the file at once (one thread
 * each, the calling one included), each of leastBytes or more.  True with
 * the guesses (as guessRow makes them over every row) and the number of
 * rows; false, with guesses and rows untouched, when the pieces were not
 * read: fewer than two pieces, a quote anywhere in the rows (a quoted line
 * end could split a record between pieces), a row whose field count is
 * not guesses.size(), a read error, or no thread to be had.  The caller
 * then reads the file in one pass, which reports what is wrong.  The
 * threads allocate no memory. */
bool guessInPieces(const std::string &path, int64_t dataStart, size_t mostPieces,
                   int64_t leastBytes, std::vector<ColumnGuess> &guesses, int64_t *rows);

}  // namespace orvhost

#endif
