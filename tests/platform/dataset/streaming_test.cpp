/*
 * streaming_test.cpp - a million rows in BY groups are read with memory that
 * does not grow with the file: the reader holds its buffer, the current row,
 * one row of look-ahead and the group's first row, and goes back to a
 * group's start by seeking.
 */
#include <malloc.h>

#include <cmath>

#include "platform/dataset/data_set_store.h"
#include "platform/dataset/input_data_set.h"
#include "tests/platform/dataset/dataset_test_support.h"

namespace {

using namespace host_routines;

constexpr int64_t kRows = 1000000;
constexpr int64_t kGroupSize = 1000;
/* Bytes the reader may hold: its 256 KiB buffer, the 256 KiB ring of rows
 * read ahead, and a few short rows. */
constexpr size_t kHeldLimit = size_t{576} << 10;
/* Heap growth allowed while reading (allocator slack included); the file is
 * about 17 MB. */
constexpr size_t kHeapGrowthLimit = size_t{2} << 20;

class Streaming : public orvtest::DataSetTest {};

TEST_F(Streaming, AMillionRowsReadWithBoundedMemory)
{
    std::string text = "g,t,x\n";
    text.reserve(size_t(kRows) * 18);
    for (int64_t i = 0; i < kRows; ++i) {
        text += std::to_string(i / kGroupSize);
        text += ",2020-01-";
        text += std::to_string(10 + i % 19); /* days 10 to 28 */
        text += ',';
        text += std::to_string(i % 7);
        text += '\n';
    }
    orvtest::writeFile(path("big.csv"), text);
    orvtest::writeFile(path("big.meta.json"), R"({"variables": [
      {"name": "g", "type": "numeric"},
      {"name": "t", "type": "numeric", "format": "DATE9."},
      {"name": "x", "type": "numeric"}]})");
    const size_t fileBytes = text.size();
    text = std::string(); /* the test's own copy is not the reader's memory */

    DATA_SET_HANDLE *handle = open("big");
    ASSERT_NE(handle, nullptr) << takeLog();
    ASSERT_EQ(host_->dataSets().setByList(handle, {1}, false), 0);
    orvhost::InputDataSet *input = host_->dataSets().findInput(handle);
    double g = 0, x = 0;
    void *fetch = nullptr;
    ASSERT_EQ(xvgeti(handle, 2, &fetch), 0);
    ASSERT_EQ(xvgetd(fetch, 1, 0, &g, 8, 8, 0, 0), 0);
    ASSERT_EQ(xvgetd(fetch, 3, 0, &x, 8, 8, 0, 0), 0);
    ASSERT_EQ(xvgete(fetch), 0);

    const size_t heapBefore = mallinfo2().uordblks;
    size_t heldPeak = 0, heapPeak = heapBefore;
    int64_t rows = 0, groups = 0;
    double total = 0;
    void *ref = handle;
    auto readGroup = [&](int64_t expectedGroup, double *sum) {
        int64_t n = 0;
        while (xybyget(&ref) == 0) {
            xyvget(fetch, 0, handle->row);
            EXPECT_EQ(g, double(expectedGroup));
            *sum += x;
            ++n;
        }
        return n;
    };
    while (xbynext(handle) > 0) {
        double sum = 0;
        int64_t n = readGroup(groups, &sum);
        ASSERT_EQ(n, kGroupSize) << "group " << groups;
        if (groups % 250 == 0) { /* rewinding after the end re-reads the same rows */
            ASSERT_EQ(xbyrwnd(handle, 66), 0);
            double again = 0;
            ASSERT_EQ(readGroup(groups, &again), kGroupSize);
            EXPECT_EQ(again, sum);
        }
        rows += n;
        total += sum;
        ++groups;
        heldPeak = std::max(heldPeak, input->heldBytes());
        heapPeak = std::max(heapPeak, size_t(mallinfo2().uordblks));
    }
    EXPECT_EQ(rows, kRows);
    EXPECT_EQ(groups, kRows / kGroupSize);
    /* Sum of i % 7 over 0 .. 999999: 142857 full cycles of 21, then 0. */
    EXPECT_EQ(total, 142857.0 * 21);
    EXPECT_LE(heldPeak, kHeldLimit);
    EXPECT_LE(heapPeak - heapBefore, kHeapGrowthLimit) << "file of " << fileBytes << " bytes";

    /* Positions noted along the way (thinned out as the file grew) take
     * xopnt to any observation. */
    for (int64_t n : {int64_t{1}, int64_t{4097}, int64_t{524288}, int64_t{999999}, kRows}) {
        SCOPED_TRACE(n);
        ASSERT_EQ(xopnt(handle, n), 0);
        ASSERT_EQ(xybyget(&ref), 0);
        ASSERT_EQ(xyvget(fetch, 0, handle->row), 0);
        EXPECT_EQ(g, double((n - 1) / kGroupSize));
        EXPECT_EQ(x, double((n - 1) % 7));
        EXPECT_EQ(xonote(handle, 7), n);
    }
    EXPECT_LE(input->heldBytes(), kHeldLimit);
    EXPECT_EQ(takeLog(), "");
}

}  // namespace
