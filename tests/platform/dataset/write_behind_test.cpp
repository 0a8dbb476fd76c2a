/*
 * write_behind_test.cpp - outputs written by the write-behind thread are
 * the bytes, log and return code of the same outputs written on the
 * step's thread: for every kind of cell, rows wider than a batch, two
 * outputs in turn, log lines between rows and rows written again without
 * their values being moved; and when the disk fills at
 * some row, the error line stands where the step's thread would have
 * written it, the step fails and the earlier outputs stay.  The thread's
 * row writer (OutputDataSet::formatRows) tells the row whose write failed.
 */
#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "platform/dataset/data_set_status.h"
#include "platform/dataset/data_set_store.h"
#include "platform/dataset/file_writes.h"
#include "platform/dataset/output_data_set.h"
#include "platform/dataset/write_behind.h"
#include "platform/step.h"
#include "tests/platform/dataset/dataset_test_support.h"

namespace {

using namespace host_routines;
using orvtest::readFile;
using orvtest::writeFile;

/* A column of the outputs: a number (format name, or "" for none) or a
 * text of `length` bytes. */
struct Column {
    const char *name;
    bool text;
    int length;
    const char *format;
};

/* The values of row r: numbers[i] of the i-th numeric column, texts[i] of
 * the i-th text column. */
using RowFill = void (*)(int64_t r, double *numbers, std::string *texts);

/* What a step writes: `outputs` data sets T.OUT1... of the same columns,
 * rows handed to them in turn, a note every noteEvery rows (0: none),
 * logged between moving the row's values and writing it when
 * noteBeforeWrite, and every repeatEvery-th row written without moving
 * values, so that it is the output's last row again (0: none). */
struct StepPlan {
    std::vector<Column> columns;
    RowFill fill;
    int64_t rows;
    int outputs;
    int64_t noteEvery;
    bool noteBeforeWrite = false;
    int64_t repeatEvery = 0;
};

const StepPlan *plan = nullptr;

void writeStep()
{
    struct Output {
        DATA_SET_HANDLE *handle = nullptr;
        void *binding = nullptr;
    };
    std::vector<Output> outputs(size_t(plan->outputs));
    std::vector<double> numbers(plan->columns.size());
    std::vector<std::string> texts(plan->columns.size());
    std::vector<std::string> textBuffers;
    for (const Column &column : plan->columns) textBuffers.emplace_back(size_t(column.text ? column.length : 0), ' ');
    for (size_t o = 0; o < outputs.size(); ++o) {
        std::string error;
        Output &output = outputs[o];
        output.handle = orvhost::openDataSet("T", "out" + std::to_string(o + 1), orvhost::DataSetMode::Output, error);
        orvhost::Host::current().dataSets().commitAtStepEnd(output.handle);
        xvputi(output.handle, int(plan->columns.size()), 32, &output.binding);
        size_t n = 0, t = 0;
        for (size_t c = 0; c < plan->columns.size(); ++c) {
            const Column &column = plan->columns[c];
            VARIABLE_DESCRIPTOR d;
            xvnamei(&d);
            d.nameLength = int16_t(std::strlen(column.name));
            std::memcpy(d.name, column.name, size_t(d.nameLength));
            d.formatNameLength = int16_t(std::strlen(column.format));
            std::memcpy(d.formatName, column.format, size_t(d.formatNameLength));
            d.type = column.text ? ORV_VAR_CHARACTER : ORV_VAR_NUMERIC;
            d.length = column.text ? column.length : 8;
            void *buffer = column.text ? static_cast<void *>(textBuffers[c].data()) : &numbers[n];
            xvputd(output.binding, &d, 0, buffer, column.text ? column.length : 8, 0, 0);
            (column.text ? t : n) += 1;
        }
        xvpute(output.binding);
    }
    for (int64_t r = 0; r < plan->rows; ++r) {
        plan->fill(r, numbers.data(), texts.data());
        for (size_t c = 0, t = 0; c < plan->columns.size(); ++c) {
            if (!plan->columns[c].text) continue;
            std::string &buffer = textBuffers[c];
            buffer.assign(buffer.size(), ' ');
            buffer.replace(0, std::min(buffer.size(), texts[t].size()), texts[t].substr(0, buffer.size()));
            ++t;
        }
        Output &output = outputs[size_t(r) % outputs.size()];
        const bool repeated = plan->repeatEvery > 0 && r % plan->repeatEvery == plan->repeatEvery - 1;
        if (!repeated) xyvput(output.binding, 0, output.handle->row);
        const bool note = plan->noteEvery > 0 && (r + 1) % plan->noteEvery == 0;
        const std::string noteText = "Row " + std::to_string(r + 1) + " handed over.";
        if (note && plan->noteBeforeWrite) orvhost::Host::current().log().note(noteText);
        output.handle->write(output.handle);
        if (note && !plan->noteBeforeWrite) orvhost::Host::current().log().note(noteText);
    }
    xexit(0, 0);
}

/* The dummy job's shape: a BY text, a daily date, a value and dummies. */
void dummyRow(int64_t r, double *numbers, std::string *texts)
{
    texts[0] = "S" + std::to_string(r / 3653);
    numbers[0] = double(18000 + r % 3653);
    numbers[1] = double((r * 37) % 1000);
    for (int k = 0; k < 25; ++k) numbers[2 + k] = (r + k) % 97 == 0 ? 1 : 0;
}

/* Missing values of every kind, -0, fractions, large numbers, datetimes
 * and dates out of the ISO range. */
void specialRow(int64_t r, double *numbers, std::string *texts)
{
    const double values[] = {std::bit_cast<double>(uint64_t{0xFFFFFE0000000000}), -0.0, 0.1, 1e300, -123456789.25,
                             std::bit_cast<double>(uint64_t{0xFFFFFD0000000000}),
                             std::bit_cast<double>(uint64_t{0xFFFFFF0000000000}), 3.5, 1e-7, 100000};
    numbers[0] = values[r % 10];
    numbers[1] = r % 3 == 0 ? values[r % 10] : double(r) * 86400.5;
    numbers[2] = r % 4 == 0 ? 1e9 : double(r % 5000) - 2500;
    texts[0] = "";
}

/* Texts that need quotes, trailing blanks and empty ones. */
void quotedRow(int64_t r, double *numbers, std::string *texts)
{
    const char *samples[] = {"plain", "a,b", "say \"hi\"", "two\nlines", "cr\rhere", "", "trailing  ", " lead"};
    texts[0] = samples[r % 8];
    texts[1] = samples[(r + 3) % 8];
    numbers[0] = double(r);
}

/* Texts that make a row wider than a batch of the write-behind. */
void wideRow(int64_t r, double *numbers, std::string *texts)
{
    for (int k = 0; k < 9; ++k) texts[k] = std::string(size_t(1000 + (r * 7919 + k) % 29000), char('a' + (r + k) % 26));
    numbers[0] = double(r);
}

/* Numbers of seven digits in many columns: the buffer fills every few
 * thousand rows. */
void wideNumbersRow(int64_t r, double *numbers, std::string *)
{
    for (int k = 0; k < 20; ++k) numbers[k] = double(1000000 + r * 20 + k);
}

std::vector<Column> dummyColumns()
{
    std::vector<Column> columns = {{"series", true, 8, ""}, {"date", false, 8, "DATE"}, {"value", false, 8, ""}};
    static const char *names[] = {"d01", "d02", "d03", "d04", "d05", "d06", "d07", "d08", "d09", "d10", "d11", "d12", "d13",
                                  "d14", "d15", "d16", "d17", "d18", "d19", "d20", "d21", "d22", "d23", "d24", "d25"};
    for (const char *name : names) columns.push_back({name, false, 8, ""});
    return columns;
}

std::vector<Column> wideNumberColumns()
{
    static const char *names[] = {"x01", "x02", "x03", "x04", "x05", "x06", "x07", "x08", "x09", "x10",
                                  "x11", "x12", "x13", "x14", "x15", "x16", "x17", "x18", "x19", "x20"};
    std::vector<Column> columns;
    for (const char *name : names) columns.push_back({name, false, 8, ""});
    return columns;
}

class WriteBehindTest : public orvtest::DataSetTest {
protected:
    void TearDown() override
    {
        orvhost::setWriteBehindForTests(orvhost::WriteBehindUse::AsCpusAllow);
        orvhost::setDiskSpaceForTests(-1);
        DataSetTest::TearDown();
    }

    struct Run {
        int returnCode;
        std::string log;
        std::vector<std::string> files; /* CSV and sidecar of each output */
    };

    /* log with the random part of the temporary files' names
     * (".outN.csv.abc123") as XXXXXX. */
    static std::string maskTemporaryNames(std::string log)
    {
        for (size_t at = log.find(".csv."); at != std::string::npos;
             at = log.find(".csv.", at + 5)) {
            const bool output = at >= 5 && log.compare(at - 5, 4, ".out") == 0 &&
                                std::isdigit(static_cast<unsigned char>(log[at - 1]));
            if (output && at + 11 <= log.size() &&
                std::all_of(log.begin() + at + 5, log.begin() + at + 11,
                            [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; }))
                log.replace(at + 5, 6, "XXXXXX");
        }
        return log;
    }

    Run run(const StepPlan &step, bool behind, int64_t room = -1)
    {
        plan = &step;
        orvhost::setWriteBehindForTests(behind ? orvhost::WriteBehindUse::Always : orvhost::WriteBehindUse::Never);
        orvhost::setDiskSpaceForTests(room);
        Run result;
        result.returnCode = host_->runStep(writeStep);
        orvhost::setDiskSpaceForTests(-1);
        /* The temporary files' names are random. */
        result.log = maskTemporaryNames(takeLog());
        for (int o = 1; o <= step.outputs; ++o)
            for (const char *end : {".csv", ".meta.json"})
                result.files.push_back(readFile(path("out" + std::to_string(o) + end)));
        return result;
    }
};

TEST_F(WriteBehindTest, WritesTheBytesOfTheStepsThread)
{
    struct Case {
        const char *id;
        StepPlan step;
    };
    const Case cases[] = {
        {"the dummy job's rows", {dummyColumns(), dummyRow, 40000, 1, 0}},
        {"special values", {{{"m", false, 8, ""}, {"dt", false, 8, "DATETIME"}, {"d", false, 8, "DATE"}, {"t", true, 4, ""}},
                            specialRow, 5000, 1, 0}},
        {"texts that need quotes", {{{"a", true, 12, ""}, {"n", false, 8, ""}, {"b", true, 3, ""}}, quotedRow, 3000, 1, 0}},
        {"rows wider than a batch",
         {{{"w1", true, 30000, ""}, {"w2", true, 30000, ""}, {"w3", true, 30000, ""}, {"w4", true, 30000, ""},
           {"w5", true, 30000, ""}, {"w6", true, 30000, ""}, {"w7", true, 30000, ""}, {"w8", true, 30000, ""},
           {"w9", true, 30000, ""}, {"n", false, 8, ""}},
          wideRow, 40, 1, 0}},
        {"two outputs in turn", {dummyColumns(), dummyRow, 20001, 2, 0}},
        {"notes between rows", {wideNumberColumns(), wideNumbersRow, 30000, 2, 997}},
        {"notes between a row's values and its write", {wideNumberColumns(), wideNumbersRow, 30000, 1, 101, true}},
        {"rows written again", {dummyColumns(), dummyRow, 20000, 1, 0, false, 7}},
        {"rows written again, two outputs in turn", {dummyColumns(), dummyRow, 20000, 2, 0, false, 5}},
        {"rows written again after notes", {wideNumberColumns(), wideNumbersRow, 20000, 1, 9, true, 10}},
        {"no rows", {dummyColumns(), dummyRow, 0, 1, 0}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        const Run alone = run(c.step, false);
        const Run behind = run(c.step, true);
        EXPECT_EQ(alone.returnCode, 0) << alone.log;
        EXPECT_EQ(behind.returnCode, alone.returnCode);
        EXPECT_EQ(behind.log, alone.log);
        ASSERT_EQ(behind.files.size(), alone.files.size());
        for (size_t f = 0; f < alone.files.size(); ++f) EXPECT_TRUE(behind.files[f] == alone.files[f]) << "file " << f;
    }
}

TEST_F(WriteBehindTest, AFailedWriteIsLoggedWhereTheStepsThreadWouldLogIt)
{
    const StepPlan step{wideNumberColumns(), wideNumbersRow, 60000, 2, 499};
    const Run full = run(step, true);
    ASSERT_EQ(full.returnCode, 0) << full.log;
    const int64_t firstCsv = int64_t(full.files[0].size());
    ASSERT_GT(firstCsv, int64_t{4} << 20);
    const std::string earlier = "x01\n1\n";
    const std::string earlierSidecar = R"({"variables": [{"name": "x01", "type": "numeric"}]})";

    struct Case {
        const char *id;
        int64_t room;
    };
    const Case cases[] = {
        {"no room at all", 0},
        {"full at the first write", 1000},
        {"full at the third write of the first output", (int64_t{5} << 19) + 100},
        {"full after both outputs wrote a while", firstCsv},
        {"full while the rows are written out", 2 * firstCsv - 100},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        for (const char *member : {"out1", "out2"}) {
            writeFile(path(std::string(member) + ".csv"), earlier);
            writeFile(path(std::string(member) + ".meta.json"), earlierSidecar);
        }
        const Run alone = run(step, false, c.room);
        for (const char *member : {"out1", "out2"}) {
            writeFile(path(std::string(member) + ".csv"), earlier);
            writeFile(path(std::string(member) + ".meta.json"), earlierSidecar);
        }
        const Run behind = run(step, true, c.room);
        EXPECT_EQ(behind.returnCode, orvhost::kDataSetErrorReturnCode);
        EXPECT_EQ(alone.returnCode, orvhost::kDataSetErrorReturnCode);
        auto errorLine = [&](const char *member) {
            return "ERROR: The file " + path(std::string(".") + member + ".csv.XXXXXX") +
                   " cannot be written: No space left on device.\n";
        };
        EXPECT_TRUE(behind.log.find(errorLine("out1")) != std::string::npos ||
                    behind.log.find(errorLine("out2")) != std::string::npos)
            << behind.log;
        EXPECT_EQ(behind.log, alone.log);
        EXPECT_EQ(behind.files, (std::vector<std::string>{earlier, earlierSidecar, earlier, earlierSidecar}));
        for (const auto &entry : std::filesystem::directory_iterator(dir_))
            EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
    }
}

/* formatRows over rows `stride` bytes apart returns the rows written, or
 * the number of the row at whose end the buffer's write failed.  An output
 * of one number column whose header and first row ("x\n7\n", 4 bytes)
 * went out through writeRow; each row more is "1\n": the buffer is written
 * once it holds 1 MiB (1048576 bytes), at the end of row k (0-based) with
 * 4 + 2 (k + 1) >= 1048576, k = 524285, and again 524288 rows later. */
TEST_F(WriteBehindTest, FormatRowsTellsTheRowWhoseWriteFailed)
{
    struct Case {
        const char *id;
        int64_t room; /* bytes the disk takes; -1: no end */
        size_t rows;
        size_t stride;
        size_t written;
    };
    const Case cases[] = {
        {"all written", -1, 600000, 8, 600000},
        {"rows 16 bytes apart", -1, 600000, 16, 600000},
        {"no room: the first write fails", 0, 600000, 8, 524285},
        {"no room, rows 16 bytes apart", 0, 600000, 16, 524285},
        {"room for one write: the second fails", 1048576, 1100000, 8, 1048573},
    };
    orvhost::setWriteBehindForTests(orvhost::WriteBehindUse::Never);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        DATA_SET_HANDLE *handle = open("rows", ORV_DS_OPEN_OUTPUT);
        ASSERT_NE(handle, nullptr);
        void *binding = nullptr;
        xvputi(handle, 1, 32, &binding);
        VARIABLE_DESCRIPTOR d;
        xvnamei(&d);
        d.nameLength = 1;
        d.name[0] = 'x';
        d.type = ORV_VAR_NUMERIC;
        double x = 7;
        xvputd(binding, &d, 0, &x, 8, 0, 0);
        xvpute(binding);
        xyvput(binding, 0, handle->row);
        ASSERT_EQ(handle->write(handle), 0);
        /* Rows of 1 with 2 between them when they are 16 bytes apart: a
         * writer that took the wrong stride would write some 2s. */
        std::vector<double> rows(c.rows * c.stride / 8, 2.0);
        for (size_t r = 0; r < c.rows; ++r) rows[r * c.stride / 8] = 1.0;
        auto &output = *static_cast<orvhost::OutputDataSet *>(handle->host);
        orvhost::setDiskSpaceForTests(c.room);
        EXPECT_EQ(output.formatRows(reinterpret_cast<const uint8_t *>(rows.data()), c.rows, c.stride), c.written);
        orvhost::setDiskSpaceForTests(-1);
        xoclose(handle);
        if (c.written == c.rows) {
            const std::string text = readFile(path("rows.csv"));
            EXPECT_EQ(text.size(), 4 + 2 * c.rows);
            EXPECT_EQ(text.find('2'), std::string::npos);
        }
        takeLog();
    }
}

}  // namespace
