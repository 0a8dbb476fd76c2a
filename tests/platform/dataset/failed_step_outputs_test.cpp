/*
 * failed_step_outputs_test.cpp - a step that fails leaves its outputs as
 * they were: when the disk fills at any point of writing two outputs (the
 * rows during the step, the rest of the rows, a sidecar), and when a
 * service is handed a handle that is not an input data set (the error
 * line, and the step's return code raised to 8).
 */
#include <filesystem>

#include "platform/dataset/commit_record.h"
#include "platform/dataset/data_set_status.h"
#include "platform/dataset/data_set_store.h"
#include "platform/dataset/file_writes.h"
#include "platform/step.h"
#include "tests/platform/dataset/dataset_test_support.h"

namespace {

using namespace host_routines;
using orvtest::readFile;
using orvtest::writeFile;

class FailedStepOutputs : public orvtest::DataSetTest {
protected:
    void TearDown() override
    {
        orvhost::setDiskSpaceForTests(-1);
        DataSetTest::TearDown();
    }
};

/* Bytes of the commit records in the directory `measured` when the first
 * change is made (their files begin ".commit-"). */
std::string measured;
int64_t recordBytes = 0;
int measureRecords(int change)
{
    if (change == 1)
        for (const auto &file : std::filesystem::directory_iterator(measured))
            if (file.path().filename().string().rfind(".commit-", 0) == 0) recordBytes += int64_t(file.file_size());
    return 0;
}

/* Rows of T.FIRST: enough for the writer to write out during the step. */
constexpr int kFirstRows = 150000;

/* Writes member with `rows` rows of one variable x, marked to be put in
 * place at the end of the step, as the job language's OUT= data sets. */
void writeOutput(const char *member, int rows)
{
    std::string error;
    DATA_SET_HANDLE *output =
        orvhost::openDataSet("T", member, orvhost::DataSetMode::Output, error);
    orvhost::Host::current().dataSets().commitAtStepEnd(output);
    void *binding = nullptr;
    xvputi(output, 1, 32, &binding);
    double x = 0;
    VARIABLE_DESCRIPTOR descriptor;
    xvnamei(&descriptor);
    descriptor.name[0] = 'x';
    descriptor.nameLength = 1;
    xvputd(binding, &descriptor, 0, &x, 8, 0, 0);
    xvpute(binding);
    for (int i = 0; i < rows; ++i) {
        x = 1000000 + i;
        xyvput(binding, 0, output->row);
        output->write(output);
    }
}

void writeTwoOutputs()
{
    writeOutput("first", kFirstRows);
    writeOutput("second", 3);
    xexit(0, 0);
}

TEST_F(FailedStepOutputs, AFullDiskLeavesEveryOutputAsItWas)
{
    const char *earlier = "x\n1\n";
    const char *earlierSidecar = R"({"variables": [{"name": "x", "type": "numeric"}]})";
    auto writeEarlier = [&] {
        for (const char *member : {"first", "second"}) {
            writeFile(path(std::string(member) + ".csv"), earlier);
            writeFile(path(std::string(member) + ".meta.json"), earlierSidecar);
        }
    };
    auto bytesOf = [&](const char *file) { return int64_t(std::filesystem::file_size(path(file))); };

    /* A disk with room: the sizes of the files the step writes. */
    writeEarlier();
    measured = dir_;
    recordBytes = 0;
    orvhost::setCommitHookForTests(measureRecords);
    ASSERT_EQ(host_->runStep(writeTwoOutputs), 0) << takeLog();
    orvhost::setCommitHookForTests(nullptr);
    ASSERT_GT(recordBytes, 0);
    const int64_t firstCsv = bytesOf("first.csv"), firstSidecar = bytesOf("first.meta.json");
    const int64_t secondCsv = bytesOf("second.csv"), secondSidecar = bytesOf("second.meta.json");
    const std::string firstRows = readFile(path("first.csv"));
    const std::string secondRows = readFile(path("second.csv"));
    ASSERT_GT(firstCsv, int64_t{1} << 20);
    takeLog();

    const int64_t all = firstCsv + firstSidecar + secondCsv + secondSidecar + recordBytes;
    struct Case {
        const char *id;
        int64_t room;
    };
    const Case cases[] = {
        {"no room at all", 0},
        {"full during the step", 1000},
        {"full while the rows are written out", firstCsv - 1},
        {"full in the first sidecar", firstCsv + 1},
        {"full in the second data set", firstCsv + firstSidecar + secondCsv - 1},
        {"full in the last sidecar", all - recordBytes - 1},
        {"full in the commit record", all - 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        writeEarlier();
        orvhost::setDiskSpaceForTests(c.room);
        EXPECT_EQ(host_->runStep(writeTwoOutputs), orvhost::kDataSetErrorReturnCode);
        orvhost::setDiskSpaceForTests(-1);
        const std::string log = takeLog();
        EXPECT_NE(log.find("No space left on device"), std::string::npos) << log;
        for (const char *member : {"first", "second"}) {
            EXPECT_EQ(readFile(path(std::string(member) + ".csv")), earlier) << member;
            EXPECT_EQ(readFile(path(std::string(member) + ".meta.json")), earlierSidecar) << member;
        }
        /* No temporary file is left behind. */
        for (const auto &entry : std::filesystem::directory_iterator(dir_))
            EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
    }

    /* Exactly enough room. */
    writeEarlier();
    orvhost::setDiskSpaceForTests(all);
    EXPECT_EQ(host_->runStep(writeTwoOutputs), 0);
    EXPECT_EQ(readFile(path("first.csv")), firstRows);
    EXPECT_EQ(readFile(path("second.csv")), secondRows);
}

TEST_F(FailedStepOutputs, ABadHandleForTheNextByGroupFailsTheStep)
{
    int stranger[16] = {};
    EXPECT_EQ(xbynext(stranger), 0); /* ends the caller's group loop */
    EXPECT_EQ(xbynext(nullptr), 0);
    EXPECT_EQ(takeLog(),
              "ERROR: The BY-group service was given a handle that is not an open input data "
              "set.\n"
              "ERROR: The BY-group service was given a handle that is not an open input data "
              "set.\n");
    EXPECT_EQ(host_->dataSets().endStep(0), orvhost::kDataSetErrorReturnCode);
    EXPECT_EQ(host_->dataSets().endStep(0), 0); /* the next step starts clean */
}

}  // namespace
