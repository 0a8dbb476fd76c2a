/*
 * column_guess_test.cpp - column types guessed over pieces of a file on
 * threads against the one-pass guess of the same file: the same types,
 * lengths and row count wherever the file is cut and however many pieces
 * each thread takes, and the pieces given up (so the one pass reports) for
 * quotes and rows of the wrong width, in the first rows or the last; and a
 * guessing thread held to the processor it is pinned to.
 */
#include <sched.h>
#include <stdlib.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>

#include "platform/dataset/column_guess.h"
#include "platform/dataset/csv_reader.h"
#include "platform/dataset/worker_thread.h"
#include "tests/platform/dataset/dataset_test_support.h"

namespace {

using orvhost::ColumnGuess;
using orvhost::CsvReader;

/* The guesses as "n d t a L" per column, and the rows. */
std::string shown(const std::vector<ColumnGuess> &guesses, int64_t rows)
{
    std::string text;
    for (const ColumnGuess &g : guesses)
        text += std::string(g.numbers ? "n" : "-") + (g.dates ? "d" : "-") +
                (g.datetimes ? "t" : "-") + (g.anyValue ? "a" : "-") + std::to_string(g.longest) +
                " ";
    return text + "rows " + std::to_string(rows);
}

/* The one-pass guess of file (header first), or "" when a row cannot be
 * read or has the wrong width. */
std::string onePass(const std::string &file, int64_t *dataStart)
{
    CsvReader reader;
    std::string error;
    if (!reader.open(file, error) || reader.next(error) != CsvReader::Result::Record) return "";
    *dataStart = reader.offset();
    std::vector<ColumnGuess> guesses(reader.fields().size());
    int64_t rows = 0;
    for (;;) {
        const CsvReader::Result r = reader.next(error);
        if (r == CsvReader::Result::End) break;
        if (r != CsvReader::Result::Record || reader.fields().size() != guesses.size()) return "";
        orvhost::guessRow(reader.fields(), guesses);
        ++rows;
    }
    return shown(guesses, rows);
}

TEST(ColumnGuess, PiecesOnThreadsGuessAsOnePass)
{
    struct Case {
        const char *id;
        std::string text;
        bool piecesRead; /* false: the pieces are given up for the one pass */
    };
    std::string many = "s,d,v\n";
    for (int i = 0; i < 300; ++i) {
        char row[48];
        std::snprintf(row, sizeof row, "S%d,2011-0%d-1%d,", i % 7, 1 + i % 9, i % 10);
        many += row;
        if (i % 13 != 0) many += std::to_string(i * 37 % 1000);
        many += '\n';
    }
    /* Rows of eight bytes: a piece's share ends on a line start or a line
     * end for several sizes of piece. */
    std::string eights = "a,b\n";
    for (int i = 0; i < 24; ++i)
        eights += std::to_string(10 + i) + "," + std::to_string(100 + i) + "\n";
    /* Blank lines, with CRLF, between the rows. */
    std::string blanks = "a,b\r\n";
    for (int i = 0; i < 40; ++i)
        blanks += std::to_string(i) + "," + (i % 3 == 0 ? "\r\n\r\n\n" : "x\r\n");
    const std::vector<Case> cases = {
        {"plain rows", many, true},
        {"rows of eight bytes", eights, true},
        {"blank lines between CRLF rows", blanks, true},
        {"a long row before a short last piece", eights + "1," + std::string(60, 'y') + "\n2,3",
         true},
        {"lone CR line ends among LFs", "a,b\n1,2\r3,4\n5,x\r7,8\n9,10\r11,12\n13,14\r15,16\n",
         true},
        {"a quote in the last rows", many + "S1,2011-01-01,\"5\"\nS2,2011-01-02,6\n", false},
        {"a quote in the last row", many + "S1,2011-01-01,\"5\"", false},
        {"row too wide in the last rows", many + "S1,2011-01-01,5,6\nS2,2011-01-02,6\n", false},
        {"row too narrow in the last row", many + "S1,2011-01-01", false},
        {"missing values", "a,b,c\n1,,.\n.A,2020-01-01,\n,2020-01-02,NA\n3,,x\n", true},
        {"blank lines", "a,b\n\n1,2\n\n\n3,4\n\n5,6\n", true},
        {"CRLF", "a,b\r\n1,2020-02-29\r\n2,2020-03-01\r\n3,\r\n4,2020-03-02\r\n", true},
        {"no final line end", "a,b\n1,x\n2,yy\n3,zzz", true},
        {"a text cell among numbers", "a,b\n1,2\n3,4\n5,six\n7,8\n9,10\n", true},
        {"datetimes and dates", "a,b\n2020-01-01T10:00,2020-01-01\n2020-01-02 11:00,2020-01-02\n"
                                "2020-01-03T12:00:30.5,2020-01-03T00:00\n", true},
        {"quoted field", "a,b\n1,2\n3,\"x\"\n5,6\n7,8\n", false},
        {"quoted line end", "a,b\n1,2\n3,\"x\ny\"\n5,6\n7,8\n9,10\n", false},
        {"row too wide", "a,b\n1,2\n3,4,5\n6,7\n8,9\n", false},
        {"row too narrow", "a,b\n1,2\n3,4\n5\n6,7\n8,9\n", false},
    };
    char pattern[] = "/tmp/orvguess-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string file = std::string(pattern) + "/x.csv";
    int split = 0; /* files guessed in pieces */
    for (const Case &c : cases) {
        orvtest::writeFile(file, c.text);
        int64_t dataStart = 0;
        const std::string expected = onePass(file, &dataStart);
        const bool wrongWidth = std::string(c.id).starts_with("row too");
        ASSERT_EQ(expected.empty(), wrongWidth) << c.id;
        /* Every number of threads and every size of piece down to a byte:
         * the cuts fall on every line of these small files, and each
         * thread takes many pieces (up to kMostGuessPieces). */
        for (size_t pieces = 2; pieces <= 5; ++pieces) {
            for (int64_t least = 1; least <= 16; least *= 2) {
                SCOPED_TRACE(std::string(c.id) + ", pieces " + std::to_string(pieces) + ", least " +
                             std::to_string(least));
                const size_t columns =
                    size_t(std::count(c.text.begin(), c.text.begin() + dataStart, ',')) + 1;
                std::vector<ColumnGuess> guesses(columns);
                int64_t rows = -7;
                const bool read =
                    orvhost::guessInPieces(file, dataStart, pieces, least, guesses, &rows);
                if (!c.piecesRead) {
                    EXPECT_FALSE(read);
                    EXPECT_EQ(rows, -7);
                    continue;
                }
                /* Too small for two pieces: the one pass reads it. */
                const int64_t bytes = int64_t(c.text.size()) - dataStart;
                if (!read && bytes < 4 * least) continue;
                ASSERT_TRUE(read);
                EXPECT_EQ(shown(guesses, rows), expected);
                ++split;
            }
        }
    }
    std::filesystem::remove_all(pattern);
    EXPECT_GT(split, 100);
}

/* A thread pinned before it first runs runs on that processor only (the
 * last one this process may use, so not this thread's, as a rule). */
TEST(ColumnGuess, APinnedThreadRunsOnItsProcessorOnly)
{
    cpu_set_t allowed;
    ASSERT_EQ(sched_getaffinity(0, sizeof allowed, &allowed), 0);
    int processor = CPU_SETSIZE - 1;
    while (!CPU_ISSET(processor, &allowed))
        --processor;
    struct Seen {
        std::atomic<bool> go{false};
        int processor = -1;
        int processors = 0;
    } seen;
    orvhost::WorkerThread thread;
    EXPECT_FALSE(thread.pinTo(processor)); /* no thread yet */
    ASSERT_TRUE(thread.start(
        [](void *argument) {
            Seen &state = *static_cast<Seen *>(argument);
            while (!state.go.load())
                sched_yield();
            cpu_set_t own;
            if (sched_getaffinity(0, sizeof own, &own) == 0) state.processors = CPU_COUNT(&own);
            state.processor = sched_getcpu();
        },
        &seen));
    EXPECT_FALSE(thread.pinTo(-1));
    EXPECT_TRUE(thread.pinTo(processor));
    seen.go = true;
    thread.join();
    EXPECT_EQ(seen.processor, processor);
    EXPECT_EQ(seen.processors, 1);
}

}  // namespace
