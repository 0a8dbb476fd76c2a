/*
 * read_ahead_test.cpp - rows read ahead on a thread against the same file
 * read by the data set alone (the process held to one processor, where no
 * thread is started): the same rows, observation numbers, statuses and log
 * lines, for tricky files: line ends, blank lines, missing values, quotes,
 * bad cells and ragged rows in the middle of a chunk of the ring and at
 * its edges, unsorted BY groups, and rewinds and xopnt in between.
 */
#include <sched.h>

#include <cstdio>
#include <functional>

#include "platform/dataset/input_data_set.h"
#include "platform/dataset/read_ahead.h"
#include "platform/dataset/variable.h"
#include "tests/platform/dataset/dataset_test_support.h"

namespace {

using namespace host_routines;

constexpr const char *kSidecar = R"({"variables": [
  {"name": "g", "type": "character", "length": 4},
  {"name": "t", "type": "numeric", "format": "DATE9."},
  {"name": "x", "type": "numeric"}]})";
constexpr int kGroupSize = 37;

/* Row i of the plain file, without its line end. */
std::string plainRow(int i)
{
    char text[64];
    std::snprintf(text, sizeof text, "G%03d,2011-%02d-%02d,%d", i / kGroupSize, 1 + i / 28 % 12,
                  1 + i % 28, i * 7 % 1000);
    return text;
}

class ReadAheadRows : public orvtest::DataSetTest {
protected:
    /* Everything the step would see reading T.X by g: each row's
     * observation number and values, each status, then the log. */
    std::string readAll()
    {
        DATA_SET_HANDLE *handle = open("x");
        if (handle == nullptr) return "OPEN FAILED " + takeLog();
        EXPECT_EQ(host_->dataSets().setByList(handle, {1}, false), 0);
        char g[4];
        double t = 0, x = 0;
        void *fetch = nullptr;
        EXPECT_EQ(xvgeti(handle, 3, &fetch), 0);
        EXPECT_EQ(xvgetd(fetch, 1, 0, g, 4, 4, 0, 0), 0);
        EXPECT_EQ(xvgetd(fetch, 2, 0, &t, 8, 8, 0, 0), 0);
        EXPECT_EQ(xvgetd(fetch, 3, 0, &x, 8, 8, 0, 0), 0);
        EXPECT_EQ(xvgete(fetch), 0);
        std::string seen;
        void *ref = handle;
        auto readGroup = [&] {
            int status;
            while ((status = xybyget(&ref)) == 0) {
                xyvget(fetch, 0, handle->row);
                seen += std::to_string(xonote(handle, 7)) + ":" + std::string(g, 4) + "|" +
                        std::to_string(orvtest::bitsOf(t)) + "|" +
                        std::to_string(orvtest::bitsOf(x)) + ";";
            }
            seen += "status " + std::to_string(status) + "\n";
        };
        for (int groups = 0; groups < 1000; ++groups) {
            const int change = xbynext(handle);
            seen += "group " + std::to_string(change) + "\n";
            if (change <= 0) break;
            readGroup();
            if (groups % 9 == 4) { /* back to the group's start, read again */
                seen += "rewind " + std::to_string(xbyrwnd(handle, 66)) + "\n";
                readGroup();
            }
        }
        seen += "point " + std::to_string(xopnt(handle, 300)) + "\n";
        readGroup();
        xvgett(fetch);
        xoclose(handle);
        return seen + takeLog();
    }

    /* readAll with the process held to one processor: the data set reads
     * by itself. */
    std::string readAllAlone()
    {
        cpu_set_t saved, one;
        EXPECT_EQ(sched_getaffinity(0, sizeof saved, &saved), 0);
        CPU_ZERO(&one);
        for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu)
            if (CPU_ISSET(cpu, &saved)) {
                CPU_SET(cpu, &one);
                break;
            }
        EXPECT_EQ(sched_setaffinity(0, sizeof one, &one), 0);
        std::string seen = readAll();
        EXPECT_EQ(sched_setaffinity(0, sizeof saved, &saved), 0);
        return seen;
    }
};

TEST_F(ReadAheadRows, RowsReadAheadAreTheRowsReadAlone)
{
    cpu_set_t set;
    ASSERT_EQ(sched_getaffinity(0, sizeof set, &set), 0);
    if (CPU_COUNT(&set) < 2) GTEST_SKIP() << "one processor: no thread to compare";
    std::vector<orvhost::Variable> variables(3);
    variables[0].type = orvhost::VariableType::Character;
    variables[0].length = 4;
    const size_t chunk = orvhost::ReadAhead::rowsPerChunk(orvhost::layOutRow(variables));

    /* Each case changes the rows of the plain file; -1 in `at` is none. */
    struct Case {
        const char *id;
        std::function<std::string(int)> row; /* row i with its line end */
        bool finalLineEnd;
    };
    auto plain = [](int i) { return plainRow(i) + "\n"; };
    auto replaced = [&](int at, std::string text) {
        return [=](int i) { return i == at ? text + "\n" : plainRow(i) + "\n"; };
    };
    std::vector<Case> cases = {
        {"plain", plain, true},
        {"CRLF", [](int i) { return plainRow(i) + "\r\n"; }, true},
        {"lone CR", [](int i) { return plainRow(i) + "\r"; }, true},
        {"blank lines", [](int i) { return plainRow(i) + (i % 50 == 0 ? "\n\n\r\n" : "\n"); },
         true},
        {"no final line end", plain, false},
        {"missing values",
         [](int i) {
             /* Every other row without its x, as "." or nothing. */
             const std::string row = plainRow(i);
             if (i % 2 == 0) return row + "\n";
             return row.substr(0, row.rfind(',') + 1) + (i % 4 == 1 ? "." : "") + "\n";
         },
         true},
        {"missing value cells", replaced(400, "G010,,.A"), true},
        {"a quoted cell", replaced(500, "G013,\"2011-02-03\",5"), true},
        {"a quoted line end", replaced(int(chunk) + 3, "\"G\n1\",2011-02-03,5"), true},
        {"a bad cell mid-chunk", replaced(int(chunk) / 2, "G000,2011-01-02,abc"), true},
        {"a bad date mid-chunk", replaced(int(chunk) / 2 + 1, "G000,2011-02-30,1"), true},
        {"a too long text", replaced(100, "G0000,2011-01-02,1"), true},
        {"a ragged row mid-chunk", replaced(int(chunk) / 2, "G000,2011-01-02"), true},
        {"a wide row", replaced(200, "G005,2011-01-02,1,2"), true},
        {"an unsorted group", replaced(600, "G001,2011-01-02,1"), true},
    };
    /* Edges of a chunk, of the part of the ring after which a waiting side
     * is woken, and of the whole ring. */
    const int ring = int(orvhost::ReadAhead::kChunks * chunk);
    for (int at : {int(chunk) - 1, int(chunk), int(chunk) + 1, 2 * int(chunk), ring / 2, ring - int(chunk),
                   ring, ring + 1}) {
        cases.push_back({"a bad cell at a chunk's edge", replaced(at, "G000,2011-01-02,x1"), true});
        cases.push_back({"a ragged row at a chunk's edge", replaced(at, "G000"), true});
    }
    const int rows = ring + int(chunk) + 5;
    ASSERT_LT(rows, 1000 * kGroupSize);
    for (size_t k = 0; k < cases.size(); ++k) {
        const Case &c = cases[k];
        SCOPED_TRACE(std::to_string(k) + " " + c.id);
        std::string text = "g,t,x\n";
        for (int i = 0; i < rows; ++i) text += c.row(i);
        if (!c.finalLineEnd) text.pop_back();
        orvtest::writeFile(path("x.csv"), text);
        orvtest::writeFile(path("x.meta.json"), kSidecar);
        const std::string alone = readAllAlone();
        EXPECT_EQ(readAll(), alone);
    }
}

}  // namespace
