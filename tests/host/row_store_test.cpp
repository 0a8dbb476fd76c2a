/*
 * row_store_test.cpp - the utility-file row stores through the real service
 * stubs and the platform's utility files: opening and closing pairs,
 * appending and reading rows, the transposition (one and several columns
 * per pass, in memory and spilled, against a plain transpose), its failures
 * and memory release, and the moves between a store and fake data sets
 * whose own read, write and move routines the test provides.
 */
#include "host/row_store.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <sstream>
#include <fstream>
#include <filesystem>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "platform/service_table.h"
#include "platform/utility_files.h"
#include "tests/support/module_host.h"

namespace {

using Row = std::array<double, 2>;

constexpr int64_t kInt64Max = std::numeric_limits<int64_t>::max();

orvhost::UtilityFiles &files() { return orvtest::moduleHost().utilityFiles(); }

/* A pair of open stores, closed at the end of the test. */
struct StorePair {
    ZT_FILE first = nullptr;
    ZT_FILE second = nullptr;
    StorePair() { EXPECT_EQ(ztinit(&first, &second), 0); }
    ~StorePair() { ztterm(first, second); }
};

/* A closed utility file: a handle the host no longer knows. */
ZT_FILE closedFile()
{
    ZT_FILE a = nullptr, b = nullptr;
    EXPECT_EQ(ztinit(&a, &b), 0);
    EXPECT_EQ(ztterm(a, b), 0);
    return a;
}

void putRows(ZT_FILE file, const std::vector<Row> &rows)
{
    for (const Row &row : rows) ASSERT_EQ(ztput(file, 2, row.data()), 0);
}

/* Every row of a store, read from its start. */
std::vector<Row> rowsOf(ZT_FILE file)
{
    std::vector<Row> rows;
    Row row;
    if (ztget(file, 0, 2, row.data()) != 0) return rows;
    do rows.push_back(row);
    while (ztget(file, -1, 2, row.data()) == 0);
    return rows;
}

bool logHas(const std::string &log, const char *text)
{
    return text == nullptr || log.find(text) != std::string::npos;
}

TEST(RowStore, OpenAndCloseArguments)
{
    StorePair pair;
    ASSERT_NE(pair.first, nullptr);
    ASSERT_NE(pair.second, nullptr);
    EXPECT_NE(pair.first, pair.second);
    EXPECT_EQ(files().sizeOf(pair.first), 0);
    EXPECT_EQ(files().sizeOf(pair.second), 0);

    ZT_FILE closed = closedFile();
    ZT_FILE slot = nullptr;
    struct Case {
        const char *id;
        int result;
        int expected;
        const char *logText; /* null: nothing logged */
    };
    orvtest::takeLog();
    const Case cases[] = {
        {"ztinit first slot null", ztinit(nullptr, &slot), 1, nullptr},
        {"ztinit second slot null", ztinit(&slot, nullptr), 1, nullptr},
        {"ztterm first null", ztterm(nullptr, pair.second), 1, nullptr},
        {"ztterm second null", ztterm(pair.first, nullptr), 1, nullptr},
        {"ztrset null", ztrset(nullptr), 1, nullptr},
        {"ztrset closed file", ztrset(closed), 2, "not an open utility file"},
        {"ztterm closed file", ztterm(closed, pair.second), 2, "not an open utility file"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(c.result, c.expected);
    }
    std::string log = orvtest::takeLog();
    EXPECT_EQ(slot, nullptr) << "no file opened for a call with a null slot";
    for (const Case &c : cases) {
        if (c.logText != nullptr) {
            EXPECT_TRUE(logHas(log, c.logText)) << c.id << "\n" << log;
        }
    }
    EXPECT_EQ(files().sizeOf(pair.second), 0) << "a failed first close leaves the second open";
}

TEST(RowStore, PutAndGet)
{
    StorePair pair;
    ZT_FILE file = pair.first;
    putRows(file, {{1, 2}, {3, 4}, {5, 6}});
    orvtest::takeLog();

    struct Case {
        const char *id;
        int64_t row;
        int64_t nvar;
        bool nullBuffer;
        bool nullFile;
        int expected;
        Row values;          /* expected values when 0 */
        const char *logText; /* null: nothing logged */
    };
    const Case cases[] = {
        {"-1 after the last write", -1, 2, false, false, 2, {}, "End of file"},
        {"row 0", 0, 2, false, false, 0, {1, 2}, nullptr},
        {"-1 after row 0", -1, 2, false, false, 0, {3, 4}, nullptr},
        {"row 2", 2, 2, false, false, 0, {5, 6}, nullptr},
        {"-1 after the last row", -1, 2, false, false, 2, {}, "End of file"},
        {"row 0 again", 0, 2, false, false, 0, {1, 2}, nullptr},
        {"row 1", 1, 2, false, false, 0, {3, 4}, nullptr},
        {"row 3: at the end", 3, 2, false, false, 2, {}, "End of file"},
        {"row 4: beyond the end", 4, 2, false, false, 1, {}, "positioned outside"},
        {"row -2", -2, 2, false, false, 2, {}, nullptr},
        {"nvar 0", 0, 0, false, false, 2, {}, nullptr},
        {"nvar -1", 0, -1, false, false, 2, {}, nullptr},
        {"byte offset overflows", kInt64Max / 16 + 1, 2, false, false, 2, {}, nullptr},
        {"nvar byte length overflows", 0, kInt64Max / 8 + 1, false, false, 2, {}, nullptr},
        {"null buffer", 0, 2, true, false, 2, {}, nullptr},
        {"null file", 0, 2, false, true, 2, {}, nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        Row buffer = {-99, -99};
        int result = ztget(c.nullFile ? nullptr : file, c.row, c.nvar,
                           c.nullBuffer ? nullptr : buffer.data());
        EXPECT_EQ(result, c.expected);
        if (c.expected == 0) {
            EXPECT_EQ(buffer, c.values);
        }
        std::string log = orvtest::takeLog();
        if (c.logText == nullptr) EXPECT_EQ(log, "");
        else EXPECT_TRUE(logHas(log, c.logText)) << log;
    }

    const double values[3] = {7, 8, 9};
    struct PutCase {
        const char *id;
        int64_t nvar;
        bool nullRow;
        bool nullFile;
        int expected;
        int64_t growth;
    };
    const PutCase puts[] = {
        {"nvar 0 writes nothing", 0, false, false, 1, 0},
        {"nvar -3", -3, false, false, 1, 0},
        {"nvar byte length overflows", kInt64Max / 8 + 1, false, false, 1, 0},
        {"null row", 2, true, false, 1, 0},
        {"null file", 2, false, true, 1, 0},
        {"nvar 3", 3, false, false, 0, 24},
    };
    ASSERT_EQ(ztrset(file), 0);
    EXPECT_EQ(files().sizeOf(file), 0) << "ztrset empties the file";
    for (const PutCase &c : puts) {
        SCOPED_TRACE(c.id);
        int64_t before = files().sizeOf(file);
        EXPECT_EQ(ztput(c.nullFile ? nullptr : file, c.nvar, c.nullRow ? nullptr : values),
                  c.expected);
        EXPECT_EQ(files().sizeOf(file) - before, c.growth);
    }
    EXPECT_EQ(ztput(closedFile(), 2, values), 2);
    EXPECT_TRUE(logHas(orvtest::takeLog(), "not an open utility file"));
}

TEST(RowStore, TransposeOfTheSmallExample)
{
    StorePair pair;
    putRows(pair.first, {{1.5, 2.5}, {3.5, 4.5}, {5.5, 6.5}});
    size_t blocks = orvtest::moduleHost().memory().liveBlockCount();
    ASSERT_EQ(zttrans(pair.first, pair.second, 3, 2), 0);
    EXPECT_EQ(orvtest::moduleHost().memory().liveBlockCount(), blocks) << "buffers freed";
    EXPECT_EQ(files().sizeOf(pair.first), 0) << "the input is reset for rewriting";

    /* The output is left at its start: -1 reads its first row. */
    std::array<double, 3> row{};
    ASSERT_EQ(ztget(pair.second, -1, 3, row.data()), 0);
    EXPECT_EQ(row, (std::array<double, 3>{1.5, 3.5, 5.5}));
    ASSERT_EQ(ztget(pair.second, -1, 3, row.data()), 0);
    EXPECT_EQ(row, (std::array<double, 3>{2.5, 4.5, 6.5}));
    EXPECT_EQ(ztget(pair.second, -1, 3, row.data()), 2);
    orvtest::takeLog();
}

/* Value of input row j, column c: distinct and exact in a double. */
double cell(int64_t j, int64_t c, int64_t M) { return double(j * M + c) + 0.25; }

TEST(RowStore, TransposeMatchesAPlainTranspose)
{
    constexpr int64_t kTwoMiB = 0x200000;
    struct Case {
        const char *id;
        int64_t R, M;
        int64_t spillLimit; /* 0: the host's own */
        int64_t passBytes;  /* 0: zttrans with ZT_PASS_BYTES */
    };
    const Case cases[] = {
        {"R*8 above 2 MiB passes: one column per pass", 300000, 3, 0, kTwoMiB},
        {"R*8 exactly 2 MiB passes: one column per pass", 262144, 3, 0, kTwoMiB},
        {"two columns per pass, short last pass", 100000, 7, 0, kTwoMiB},
        {"262 columns per pass, three passes", 1000, 600, 0, kTwoMiB},
        {"everything in one pass", 5, 1000, 0, kTwoMiB},
        {"one input row", 1, 4, 0, kTwoMiB},
        {"one input column", 4, 1, 0, kTwoMiB},
        {"spilled files, several passes", 60000, 40, 4096, kTwoMiB},
        {"spilled files, 7 columns per pass of 3 rows", 3, 40, 64, 168},
        {"a pass below one column: one column per pass", 3, 5, 0, 1},
        {"the default pass takes 600 columns of 1000 rows at once", 1000, 600, 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        if (c.spillLimit != 0) files().setSpillLimit(c.spillLimit);
        StorePair pair;
        files().setSpillLimit(orvhost::kDefaultUtilitySpillLimit);

        std::vector<double> row(size_t(c.M));
        for (int64_t j = 0; j < c.R; ++j) {
            for (int64_t m = 0; m < c.M; ++m) row[size_t(m)] = cell(j, m, c.M);
            ASSERT_EQ(ztput(pair.first, c.M, row.data()), 0);
        }
        if (c.spillLimit != 0) {
            EXPECT_TRUE(files().spilled(pair.first));
        }
        size_t blocks = orvtest::moduleHost().memory().liveBlockCount();
        const int64_t readBefore = files().bytesRead();
        ASSERT_EQ(c.passBytes == 0 ? zttrans(pair.first, pair.second, c.R, c.M)
                                   : zttransWithin(pair.first, pair.second, c.R, c.M, c.passBytes),
                  0);
        EXPECT_EQ(files().bytesRead() - readBefore, c.R * c.M * 8) << "the input is read once";
        EXPECT_EQ(orvtest::moduleHost().memory().liveBlockCount(), blocks);
        EXPECT_EQ(files().sizeOf(pair.second), c.R * c.M * 8);

        std::vector<double> column(size_t(c.R));
        int64_t wrong = 0;
        for (int64_t m = 0; m < c.M; ++m) {
            ASSERT_EQ(ztget(pair.second, -1, c.R, column.data()), 0) << "output row " << m;
            for (int64_t j = 0; j < c.R; ++j)
                if (column[size_t(j)] != cell(j, m, c.M)) ++wrong;
        }
        EXPECT_EQ(wrong, 0);
    }
    EXPECT_EQ(orvtest::takeLog(), "");
}

TEST(RowStore, TransposeFailures)
{
    constexpr int64_t tooMany = kInt64Max / 8 + 1;
    struct Case {
        const char *id;
        int64_t R, M;
        bool nullInput, nullOutput, closedInput, closedOutput;
        int64_t failAllocation; /* 0: none; n: the nth attempt from the call */
        int expected;
        const char *logText; /* null: nothing logged */
    };
    const Case cases[] = {
        {"input shorter than R", 3, 2, false, false, false, false, 0, 2, "End of file"},
        {"R 0", 0, 2, false, false, false, false, 0, 5, nullptr},
        {"M 0", 2, 0, false, false, false, false, 0, 5, nullptr},
        {"R negative", -1, 2, false, false, false, false, 0, 5, nullptr},
        {"R byte length overflows", tooMany, 2, false, false, false, false, 0, 5, nullptr},
        {"M byte length overflows", 2, tooMany, false, false, false, false, 0, 5, nullptr},
        {"null input", 2, 2, true, false, false, false, 0, 5, nullptr},
        {"null output", 2, 2, false, true, false, false, 0, 5, nullptr},
        {"input not open", 2, 2, false, false, true, false, 0, 4, "not an open utility file"},
        {"output not open", 2, 2, false, false, false, true, 0, 4, "not an open utility file"},
        {"no memory for a pass's part of a row", 2, 2, false, false, false, false, 1, 3, "Out of memory"},
        {"no memory for the pass", 2, 2, false, false, false, false, 2, 3, "Out of memory"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        StorePair pair;
        putRows(pair.first, {{1, 2}, {3, 4}});
        ZT_FILE input = c.nullInput ? nullptr : c.closedInput ? closedFile() : pair.first;
        ZT_FILE output = c.nullOutput ? nullptr : c.closedOutput ? closedFile() : pair.second;
        orvtest::takeLog();
        size_t blocks = orvtest::moduleHost().memory().liveBlockCount();
        orvtest::moduleHost().memory().failAllocation(c.failAllocation);
        EXPECT_EQ(zttrans(input, output, c.R, c.M), c.expected);
        orvtest::moduleHost().memory().failAllocation(0);
        EXPECT_EQ(orvtest::moduleHost().memory().liveBlockCount(), blocks) << "buffers freed";
        std::string log = orvtest::takeLog();
        if (c.logText == nullptr) EXPECT_EQ(log, "");
        else EXPECT_TRUE(logHas(log, c.logText)) << log;
    }
}

/* ---- rows to and from data sets ------------------------------------------ */

/* An output data set: its own write routine records the observation row. */
struct FakeOutput {
    DATA_SET_HANDLE handle{};
    Row observation{-1, -1};
    std::vector<Row> written;

    FakeOutput()
    {
        handle.row = observation.data();
        handle.host = this;
        handle.write = [](DATA_SET_HANDLE *h) {
            auto *self = static_cast<FakeOutput *>(h->host);
            self->written.push_back(self->observation);
            return 0;
        };
    }
};

/* An output binding whose own move copies the row buffer into the
 * observation; a non-zero failStatus makes the move fail. */
struct FakeBinding {
    PUT_BINDING binding{};
    const double *source = nullptr;
    int failStatus = 0;

    explicit FakeBinding(const double *from) : source(from)
    {
        binding.host = this;
        binding.move = [](PUT_BINDING *b, void *row) {
            auto *self = static_cast<FakeBinding *>(b->host);
            if (self->failStatus != 0) return self->failStatus;
            auto *values = static_cast<double *>(row);
            values[0] = self->source[0];
            values[1] = self->source[1];
            return 0;
        };
    }
};

/* What an output filter saw: its context, row numbers, nvar and status. */
struct OutCalls {
    std::vector<int64_t> rows;
    bool argumentsRight = true;
};

TEST(RowStore, RowsToADataSet)
{
    enum Filter { None, SkipOdd, StopAtTwo, NegativeSkips, StampRow };
    struct Case {
        const char *id;
        Filter filter;
        bool withBinding;
        int moveStatus;
        std::vector<Row> expected;
        int result;
    };
    const Case cases[] = {
        {"no filter: every row", None, true, 0, {{0, 0}, {1, 10}, {2, 20}, {3, 30}, {4, 40}}, 0},
        {"skip odd rows", SkipOdd, true, 0, {{0, 0}, {2, 20}, {4, 40}}, 0},
        {"stop at row 2", StopAtTwo, true, 0, {{0, 0}, {1, 10}}, 0},
        {"negative answer skips", NegativeSkips, true, 0, {{0, 0}, {2, 20}, {3, 30}, {4, 40}}, 0},
        {"filter changes the row", StampRow, true, 0, {{0, -0.0}, {1, -1}, {2, -2}, {3, -3}, {4, -4}}, 0},
        {"no binding: nothing moved", None, false, 0, {{-1, -1}, {-1, -1}, {-1, -1}, {-1, -1}, {-1, -1}}, 0},
        {"move fails", None, true, int(0x80001234u), {}, 1},
    };
    StorePair pair;
    putRows(pair.first, {{0, 0}, {1, 10}, {2, 20}, {3, 30}, {4, 40}});
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        FakeOutput output;
        Row buffer{};
        FakeBinding binding(buffer.data());
        binding.failStatus = c.moveStatus;
        ZT_OUT_FILTER filter = nullptr;
        switch (c.filter) {
        case None: break;
        case SkipOdd: filter = [](int64_t row, int64_t, double *, int) { return int(row % 2); }; break;
        case StopAtTwo: filter = [](int64_t row, int64_t, double *, int) { return row == 2 ? 2 : 0; }; break;
        case NegativeSkips: filter = [](int64_t row, int64_t, double *, int) { return row == 1 ? -1 : 0; }; break;
        case StampRow:
            filter = [](int64_t row, int64_t, double *values, int) {
                values[1] = -double(row);
                return 0;
            };
            break;
        }
        orvtest::takeLog();
        EXPECT_EQ(ztout(&output.handle, c.withBinding ? &binding.binding : nullptr, pair.first, 2,
                        buffer.data(), filter),
                  c.result);
        EXPECT_EQ(output.written, c.expected);
        std::string log = orvtest::takeLog();
        if (c.moveStatus != 0) EXPECT_TRUE(logHas(log, "0x80001234")) << log;
        else EXPECT_EQ(log, "");
    }

    /* ztoutp: the context comes first, every row read reaches the filter
     * with its 0-based index, nvar and status 0. */
    FakeOutput output;
    Row buffer{};
    FakeBinding binding(buffer.data());
    OutCalls calls;
    ZT_OUTP_FILTER skipOneAndThree = [](void *context, int64_t row, int64_t nvar, double *,
                                        int status) {
        auto *seen = static_cast<OutCalls *>(context);
        seen->rows.push_back(row);
        if (nvar != 2 || status != 0) seen->argumentsRight = false;
        return row == 1 || row == 3 ? 1 : 0;
    };
    EXPECT_EQ(ztoutp(&output.handle, &binding.binding, pair.first, &calls, 2, buffer.data(),
                     skipOneAndThree),
              0);
    EXPECT_EQ(output.written, (std::vector<Row>{{0, 0}, {2, 20}, {4, 40}}));
    EXPECT_EQ(calls.rows, (std::vector<int64_t>{0, 1, 2, 3, 4}));
    EXPECT_TRUE(calls.argumentsRight);

    /* Long stores: every row reaches the filter and the data set once, in
     * order, and a partial row at the end is not one. */
    for (const int64_t count : {int64_t{1023}, int64_t{1024}, int64_t{1025}, int64_t{5000}}) {
        SCOPED_TRACE(count);
        StorePair many;
        std::vector<Row> rows;
        for (int64_t i = 0; i < count; ++i) rows.push_back({double(i), double(i) * 10});
        putRows(many.first, rows);
        const double partial = -1;
        ASSERT_EQ(files().write(many.first, &partial, sizeof partial), 0);
        FakeOutput out;
        Row values{};
        FakeBinding move(values.data());
        OutCalls seen;
        ZT_OUTP_FILTER record = [](void *context, int64_t row, int64_t, double *, int) {
            static_cast<OutCalls *>(context)->rows.push_back(row);
            return 0;
        };
        EXPECT_EQ(ztoutp(&out.handle, &move.binding, many.first, &seen, 2, values.data(), record), 0);
        EXPECT_EQ(out.written, rows);
        EXPECT_EQ(seen.rows.size(), size_t(count));
        EXPECT_EQ(orvtest::takeLog(), "");
    }

    struct Bad {
        const char *id;
        int result;
    };
    FakeOutput unused;
    const Bad bad[] = {
        {"null data set", ztout(nullptr, &binding.binding, pair.first, 2, buffer.data(), nullptr)},
        {"null file", ztout(&unused.handle, &binding.binding, nullptr, 2, buffer.data(), nullptr)},
        {"null buffer", ztout(&unused.handle, &binding.binding, pair.first, 2, nullptr, nullptr)},
        {"nvar 0", ztout(&unused.handle, &binding.binding, pair.first, 0, buffer.data(), nullptr)},
        {"file not open", ztout(&unused.handle, &binding.binding, closedFile(), 2, buffer.data(), nullptr)},
    };
    for (const Bad &b : bad) {
        SCOPED_TRACE(b.id);
        EXPECT_EQ(b.result, 1);
    }
    EXPECT_TRUE(unused.written.empty());
    EXPECT_TRUE(logHas(orvtest::takeLog(), "not an open utility file"));
}

/* An input data set read through its own read routine; it checks that every
 * read asks for the next observation with counting. */
struct FakeInput {
    DATA_SET_HANDLE handle{};
    std::vector<Row> observations;
    size_t next = 0;
    Row current{};
    bool requestsRight = true;

    explicit FakeInput(std::vector<Row> rows) : observations(std::move(rows))
    {
        handle.host = this;
        handle.readFlags = 0x100; /* a flag of the host's own, to be kept */
        handle.read = [](DATA_SET_HANDLE *h) {
            auto *self = static_cast<FakeInput *>(h->host);
            if (h->readMode != ORV_DS_READ_NEXT || h->readFlags != (0x100 | ORV_DS_COUNT))
                self->requestsRight = false;
            if (self->next == self->observations.size()) {
                h->row = nullptr;
                return 0;
            }
            self->current = self->observations[self->next++];
            h->row = self->current.data();
            ++h->observationCount;
            return 0;
        };
    }
};

/* A fetch whose own move copies the observation into the row buffer. */
struct FakeFetch {
    FETCH_HANDLE fetch{};
    double *target = nullptr;
    int failStatus = 0;

    explicit FakeFetch(double *to) : target(to)
    {
        fetch.host = this;
        fetch.move = [](FETCH_HANDLE *f, const void *row) {
            auto *self = static_cast<FakeFetch *>(f->host);
            if (self->failStatus != 0) return self->failStatus;
            const auto *values = static_cast<const double *>(row);
            self->target[0] = values[0];
            self->target[1] = values[1];
            return 0;
        };
    }
};

struct InCalls {
    std::vector<int64_t> rowsWritten;
};

TEST(RowStore, RowsFromADataSet)
{
    const std::vector<Row> observations = {{1, 10}, {-2, 20}, {3, 30}, {-4, 40}, {5, 50}};
    enum Filter { None, SkipNegative, StopAfterTwo, Doubles };
    struct Case {
        const char *id;
        Filter filter;
        int moveStatus;
        int64_t result;
        std::vector<Row> expected;
    };
    const Case cases[] = {
        {"no filter: every observation", None, 0, 5, observations},
        {"skip negative keys", SkipNegative, 0, 3, {{1, 10}, {3, 30}, {5, 50}}},
        {"stop once two rows are written", StopAfterTwo, 0, 2, {{1, 10}, {-2, 20}}},
        {"filter changes the row", Doubles, 0, 5, {{2, 10}, {-4, 20}, {6, 30}, {-8, 40}, {10, 50}}},
        {"move fails", None, int(0x80004321u), -1, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        StorePair pair;
        putRows(pair.first, {{9, 9}, {9, 9}, {9, 9}, {9, 9}, {9, 9}, {9, 9}, {9, 9}});
        FakeInput input(observations);
        Row buffer{};
        FakeFetch fetch(buffer.data());
        fetch.failStatus = c.moveStatus;
        ZT_IN_FILTER filter = nullptr;
        switch (c.filter) {
        case None: break;
        case SkipNegative: filter = [](int64_t, int64_t, double *values) { return values[0] < 0 ? 1 : 0; }; break;
        case StopAfterTwo: filter = [](int64_t written, int64_t, double *) { return written == 2 ? 2 : 0; }; break;
        case Doubles:
            filter = [](int64_t, int64_t, double *values) {
                values[0] *= 2;
                return 0;
            };
            break;
        }
        orvtest::takeLog();
        EXPECT_EQ(ztin(&input.handle, &fetch.fetch, pair.first, 2, buffer.data(), filter), c.result);
        EXPECT_TRUE(input.requestsRight);
        std::string log = orvtest::takeLog();
        if (c.moveStatus != 0) EXPECT_TRUE(logHas(log, "0x80004321")) << log;
        else EXPECT_EQ(log, "");
        EXPECT_EQ(rowsOf(pair.first), c.expected) << "the old rows are gone";
    }

    /* ztinp: the caller value comes first and the row number counts the rows
     * written so far. */
    StorePair pair;
    FakeInput input(observations);
    Row buffer{};
    FakeFetch fetch(buffer.data());
    InCalls calls;
    ZT_INP_FILTER skipNegative = [](void *value, int64_t written, int64_t, double *values) {
        static_cast<InCalls *>(value)->rowsWritten.push_back(written);
        return values[0] < 0 ? 1 : 0;
    };
    EXPECT_EQ(ztinp(&input.handle, &fetch.fetch, pair.first, &calls, 2, buffer.data(), skipNegative), 3);
    EXPECT_EQ(calls.rowsWritten, (std::vector<int64_t>{0, 1, 1, 2, 2}));
    EXPECT_EQ(input.handle.observationCount, 5);

    struct Bad {
        const char *id;
        int64_t result;
    };
    FakeInput unused(observations);
    DATA_SET_HANDLE noReader{};
    const Bad bad[] = {
        {"null data set", ztin(nullptr, &fetch.fetch, pair.first, 2, buffer.data(), nullptr)},
        {"no read routine", ztin(&noReader, &fetch.fetch, pair.first, 2, buffer.data(), nullptr)},
        {"null file", ztin(&unused.handle, &fetch.fetch, nullptr, 2, buffer.data(), nullptr)},
        {"null buffer", ztin(&unused.handle, &fetch.fetch, pair.first, 2, nullptr, nullptr)},
        {"nvar 0", ztin(&unused.handle, &fetch.fetch, pair.first, 0, buffer.data(), nullptr)},
        {"file not open", ztin(&unused.handle, &fetch.fetch, closedFile(), 2, buffer.data(), nullptr)},
    };
    for (const Bad &b : bad) {
        SCOPED_TRACE(b.id);
        EXPECT_EQ(b.result, -1);
    }
    EXPECT_EQ(unused.next, 0u) << "nothing read after a failure to reset";
    EXPECT_TRUE(logHas(orvtest::takeLog(), "not an open utility file"));
}

/* A step that fills a row store from a real input data set of the host, with
 * a filter that drops the rows whose first value is missing, and writes the
 * store to a new output data set, every second row only. */
struct RoundTrip {
    int64_t rowsIn = -2;
    int out = -2;
} roundTrip;

int takeKnownA(int64_t, int64_t, double *buffer) { return buffer[0] != buffer[0] ? 1 : 0; }
int takeEvenRows(int64_t row, int64_t, double *, int) { return row % 2 == 0 ? 0 : 1; }

void roundTripStep()
{
    using namespace host_routines;
    auto request = [](const char *member, int32_t mode) {
        DATA_SET_OPEN_REQUEST r{};
        std::memset(r.libref, ' ', sizeof r.libref);
        std::memcpy(r.libref, "RS", 2);
        std::memset(r.member, ' ', sizeof r.member);
        std::memcpy(r.member, member, std::strlen(member));
        r.memberLength = int16_t(std::strlen(member));
        r.mode = mode;
        return r;
    };
    DATA_SET_OPEN_REQUEST inRequest = request("rows", ORV_DS_OPEN_INPUT);
    DATA_SET_OPEN_REQUEST outRequest = request("copy", ORV_DS_OPEN_OUTPUT);
    void *input = nullptr, *output = nullptr, *fetch = nullptr, *binding = nullptr;
    double buffer[2];
    int a = 0, b = 0;
    if (xoopen(&inRequest, &input) != 0 || xvfind(input, "A", 1, &a) != 0 ||
        xvfind(input, "B", 1, &b) != 0 || xvgeti(input, 2, &fetch) != 0 ||
        xvgetd(fetch, a, 0, &buffer[0], 8, 8, 0, 0) < 0 ||
        xvgetd(fetch, b, 0, &buffer[1], 8, 8, 0, 0) < 0 || xvgete(fetch) < 0)
        xexit(90, 0);
    ZT_FILE store = nullptr, spare = nullptr;
    if (ztinit(&store, &spare) != 0) xexit(91, 0);
    roundTrip.rowsIn = ztin(static_cast<DATA_SET_HANDLE *>(input),
                            static_cast<FETCH_HANDLE *>(fetch), store, 2, buffer, takeKnownA);

    if (xoopen(&outRequest, &output) != 0 || xvputi(output, 2, 32, &binding) != 0) xexit(92, 0);
    for (int column = 0; column < 2; ++column) {
        VARIABLE_DESCRIPTOR descriptor;
        xvnamei(&descriptor);
        descriptor.name[0] = column == 0 ? 'X' : 'Y';
        descriptor.nameLength = 1;
        if (xvputd(binding, &descriptor, 0, &buffer[column], 8, 0, 0) != 0) xexit(93, 0);
    }
    if (xvpute(binding) != 0) xexit(94, 0);
    roundTrip.out = ztout(static_cast<DATA_SET_HANDLE *>(output),
                          static_cast<PUT_BINDING *>(binding), store, 2, buffer, takeEvenRows);
    xoclose(output);
    xoclose(input);
    xexit(0, 0);
}

TEST(RowStore, RoundTripThroughTheHostsDataSets)
{
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / "orv-row-store-test";
    fs::remove_all(dir);
    fs::create_directories(dir);
    {
        std::ofstream csv(dir / "rows.csv");
        csv << "A,B\n1,10\n,20\n3,30\n4,.A\n5,50\n";
    }
    std::string error;
    ASSERT_TRUE(orvtest::moduleHost().dataSets().libraries().assign("RS", dir.string(), error))
        << error;
    orvtest::takeLog();
    EXPECT_EQ(orvtest::moduleHost().runStep(&roundTripStep), 0) << orvtest::takeLog();
    EXPECT_EQ(roundTrip.rowsIn, 4) << "the row with a missing A is dropped";
    EXPECT_EQ(roundTrip.out, 0);
    std::ifstream copy(dir / "copy.csv");
    std::stringstream text;
    text << copy.rdbuf();
    EXPECT_EQ(text.str(), "X,Y\n1,10\n4,.A\n") << "rows 0 and 2 of the store, .A kept";
    EXPECT_EQ(files().liveCount(), 0u) << "the step's files are released";
    fs::remove_all(dir);
}

}  // namespace

/* ---- failures the host reports ------------------------------------------- */

/* An output whose own write fails with failStatus from row failAt on (the
 * row is not written); with pending, every write also flags a status for
 * xofprc. */
struct FailingOutput : FakeOutput {
    size_t failAt = 0;
    int failStatus = 0;
    bool pending = false;

    FailingOutput()
    {
        handle.write = [](DATA_SET_HANDLE *h) {
            auto *self = static_cast<FailingOutput *>(h->host);
            if (self->pending) h->flags |= ORV_DS_STATUS_PENDING;
            if (self->failStatus != 0 && self->written.size() >= self->failAt) return self->failStatus;
            self->written.push_back(self->observation);
            return 0;
        };
    }
};

/* An input whose own read fails once with failStatus at observation
 * failAt, leaving the previous observation's row in place; the read after
 * it goes on with that observation. */
struct FailingInput : FakeInput {
    size_t failAt;
    int failStatus;

    FailingInput(std::vector<Row> rows, size_t at, int status)
        : FakeInput(std::move(rows)), failAt(at), failStatus(status)
    {
        handle.read = [](DATA_SET_HANDLE *h) {
            auto *self = static_cast<FailingInput *>(h->host);
            if (self->next == self->failAt) {
                self->failAt = SIZE_MAX;
                return self->failStatus;
            }
            if (self->next == self->observations.size()) {
                h->row = nullptr;
                return 0;
            }
            self->current = self->observations[self->next++];
            h->row = self->current.data();
            return 0;
        };
    }
};

TEST(RowStore, FailuresStopTheMoveAtTheFailingRow)
{
    const std::vector<Row> rows = {{0, 0}, {1, 10}, {2, 20}, {3, 30}, {4, 40}};
    const int failed = int(0x8004C005u);

    /* A write status that xofprc does not clear (this output is none of the
     * host's, so it answers with a failing status): no row after it. */
    {
        StorePair pair;
        putRows(pair.first, rows);
        FailingOutput output;
        output.failAt = 2;
        output.failStatus = failed;
        Row buffer{};
        FakeBinding binding(buffer.data());
        EXPECT_EQ(ztout(&output.handle, &binding.binding, pair.first, 2, buffer.data(), nullptr), 1);
        EXPECT_EQ(output.written, (std::vector<Row>{{0, 0}, {1, 10}}));
    }
    /* A pending flag with a clean write is cleared: every row. */
    {
        StorePair pair;
        putRows(pair.first, rows);
        FailingOutput output;
        output.pending = true;
        Row buffer{};
        FakeBinding binding(buffer.data());
        EXPECT_EQ(ztout(&output.handle, &binding.binding, pair.first, 2, buffer.data(), nullptr), 0);
        EXPECT_EQ(output.written, rows);
    }
    /* A read that fails while the previous row is still there: the move
     * fails instead of handing that row on twice. */
    {
        StorePair pair;
        FailingInput input(rows, 3, failed);
        Row buffer{};
        FakeFetch fetch(buffer.data());
        EXPECT_EQ(ztin(&input.handle, &fetch.fetch, pair.first, 2, buffer.data(), nullptr), -1);
    }
    orvtest::takeLog();
}

/* ztoutm: the rows come from memory, each copied into the buffer before
 * the filter sees it; the filter's answers and the write failures act as
 * with a file. */
TEST(RowStore, RowsFromMemoryToADataSet)
{
    enum Filter { None, SkipOdd, StopAtTwo, StampRow };
    struct Case {
        const char *id;
        int64_t rowCount;
        Filter filter;
        size_t failAt;  /* write failing from this row on; SIZE_MAX none */
        std::vector<Row> expected;
        std::vector<int64_t> seen;  /* rows the filter saw */
        int result;
    };
    const Case cases[] = {
        {"every row", 5, None, SIZE_MAX, {{0, 0}, {1, 10}, {2, 20}, {3, 30}, {4, 40}}, {}, 0},
        {"the first three rows only", 3, SkipOdd, SIZE_MAX, {{0, 0}, {2, 20}}, {0, 1, 2}, 0},
        {"no rows", 0, SkipOdd, SIZE_MAX, {}, {}, 0},
        {"stop at row 2", 5, StopAtTwo, SIZE_MAX, {{0, 0}, {1, 10}}, {0, 1, 2}, 0},
        {"filter changes the copy", 3, StampRow, SIZE_MAX, {{0, -0.0}, {1, -1}, {2, -2}}, {0, 1, 2}, 0},
        {"write fails at row 1", 5, None, 1, {{0, 0}}, {}, 1},
    };
    const std::vector<double> rows = {0, 0, 1, 10, 2, 20, 3, 30, 4, 40};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        FailingOutput output;
        output.failAt = c.failAt;
        output.failStatus = c.failAt == SIZE_MAX ? 0 : int(0x8004C005u);
        Row buffer{};
        FakeBinding binding(buffer.data());
        OutCalls calls;
        ZT_OUTP_FILTER filter = nullptr;
        switch (c.filter) {
        case None: break;
        case SkipOdd:
            filter = [](void *context, int64_t row, int64_t nvar, double *, int status) {
                auto *seen = static_cast<OutCalls *>(context);
                seen->rows.push_back(row);
                if (nvar != 2 || status != 0) seen->argumentsRight = false;
                return int(row % 2);
            };
            break;
        case StopAtTwo:
            filter = [](void *context, int64_t row, int64_t, double *, int) {
                static_cast<OutCalls *>(context)->rows.push_back(row);
                return row == 2 ? 2 : 0;
            };
            break;
        case StampRow:
            filter = [](void *context, int64_t row, int64_t, double *values, int) {
                static_cast<OutCalls *>(context)->rows.push_back(row);
                values[1] = -double(row);
                return 0;
            };
            break;
        }
        EXPECT_EQ(ztoutm(&output.handle, &binding.binding, rows.data(), c.rowCount, &calls, 2, buffer.data(), filter),
                  c.result);
        EXPECT_EQ(output.written, c.expected);
        EXPECT_EQ(calls.rows, c.seen);
        EXPECT_TRUE(calls.argumentsRight);
        orvtest::takeLog();
    }
    /* The source rows stay as they were when the filter changes the copy. */
    EXPECT_EQ(rows[3], 10);

    FakeOutput unused;
    Row buffer{};
    FakeBinding binding(buffer.data());
    struct Bad {
        const char *id;
        int result;
    };
    const Bad bad[] = {
        {"null data set", ztoutm(nullptr, &binding.binding, rows.data(), 5, nullptr, 2, buffer.data(), nullptr)},
        {"null rows", ztoutm(&unused.handle, &binding.binding, nullptr, 5, nullptr, 2, buffer.data(), nullptr)},
        {"negative count", ztoutm(&unused.handle, &binding.binding, rows.data(), -1, nullptr, 2, buffer.data(), nullptr)},
        {"null buffer", ztoutm(&unused.handle, &binding.binding, rows.data(), 5, nullptr, 2, nullptr, nullptr)},
        {"nvar 0", ztoutm(&unused.handle, &binding.binding, rows.data(), 5, nullptr, 0, buffer.data(), nullptr)},
    };
    for (const Bad &b : bad) {
        SCOPED_TRACE(b.id);
        EXPECT_EQ(b.result, 1);
    }
    EXPECT_TRUE(unused.written.empty());
}

/* A failing utility-file status whose low bits read as end of file
 * (0x801) is a failure, not the end of the rows. */
TEST(RowStore, ANegativeStatusWithEndOfFileBitsIsAFailure)
{
    const int lookalike = int(0x80000801u);
    orvhost::UtilityFiles &files = orvtest::moduleHost().utilityFiles();
    {
        StorePair pair;
        putRows(pair.first, {{0, 0}, {1, 10}, {2, 20}, {3, 30}});
        FakeOutput output;
        Row buffer{};
        FakeBinding binding(buffer.data());
        files.failReadForTests(2, lookalike);
        EXPECT_EQ(ztout(&output.handle, &binding.binding, pair.first, 2, buffer.data(), nullptr), 1);
        files.failReadForTests(-1, 0);
        EXPECT_EQ(output.written, (std::vector<Row>{{0, 0}, {1, 10}}));
    }
    {
        StorePair pair;
        putRows(pair.first, {{0, 0}, {1, 10}});
        files.failReadForTests(1, lookalike);
        EXPECT_EQ(zttrans(pair.first, pair.second, 2, 2), 4); /* not 2, a short input */
        files.failReadForTests(-1, 0);
    }
    EXPECT_TRUE(logHas(orvtest::takeLog(), "0x80000801"));
}
