/*
 * bad_input_test.cpp - malformed data sets give a message naming the file
 * and line and a failing status, never a crash; a step that fails leaves
 * the earlier version of its output in place.
 */
#include <sys/stat.h>

#include <filesystem>
#include <functional>

#include "platform/dataset/data_set_status.h"
#include "platform/regular_file.h"
#include "platform/step.h"
#include "tests/platform/dataset/dataset_test_support.h"

namespace {

using namespace host_routines;
using orvtest::readFile;
using orvtest::writeFile;

class BadInput : public orvtest::DataSetTest {
protected:
    /* Reads every group of handle; the first failing status, or 0. */
    int readAll(DATA_SET_HANDLE *handle)
    {
        void *ref = handle;
        for (int groups = 0; groups < 100 && xbynext(handle) > 0; ++groups) {
            int status;
            while ((status = xybyget(&ref)) == 0) {
            }
            if (status < 0) return status;
        }
        /* A failed data set stays failed. */
        int status = xybyget(&ref);
        return status < 0 ? status : 0;
    }

    std::string withDir(std::string text) const
    {
        for (size_t at; (at = text.find("{dir}")) != std::string::npos;) text.replace(at, 5, dir_);
        return text;
    }
};

TEST_F(BadInput, MalformedFilesFailWithFileAndLine)
{
    constexpr const char *kNumberSidecar =
        R"({"variables": [{"name": "g", "type": "numeric"}, {"name": "x", "type": "numeric"}]})";
    struct Case {
        const char *id;
        const char *csv;     /* written as x.csv */
        const char *sidecar; /* written as x.meta.json; null: none */
        std::vector<int> by;
        const char *libref;
        int openStatus; /* 0: opens, then reading fails */
        int readStatus;
        const char *message; /* in the log; {dir} is the library's directory */
    };
    const Case cases[] = {
        {"ragged row, inferred", "g,x\n1,2\n3\n", nullptr, {}, "T",
         orvhost::kDataSetStatusOpenFailed, 0,
         "ERROR: {dir}/x.csv, line 3: the row has 1 field; the header has 2 fields.\n"},
        {"ragged row, described", "g,x\n1,2\n3,4,5\n", kNumberSidecar, {}, "T", 0,
         orvhost::kDataSetStatusReadFailed,
         "ERROR: {dir}/x.csv, line 3: the row has 3 fields; the header has 2 fields.\n"},
        {"unterminated quote", "g,x\n1,\"2\n3,4\n", nullptr, {}, "T",
         orvhost::kDataSetStatusOpenFailed, 0,
         "ERROR: {dir}/x.csv, line 2: a quoted field is not closed before the end of the file.\n"},
        {"quote inside a field", "g,x\n1,2\n3,4\"\n", kNumberSidecar, {}, "T", 0,
         orvhost::kDataSetStatusReadFailed,
         "ERROR: {dir}/x.csv, line 3: a quote appears inside a field that is not quoted.\n"},
        {"text in a numeric column", "g,x\n1,2\n1,abc\n", kNumberSidecar, {}, "T", 0,
         orvhost::kDataSetStatusReadFailed,
         "ERROR: {dir}/x.csv, line 3: the value \"abc\" of the numeric variable x is not a number.\n"},
        {"unsorted BY data", "g,x\n1,1\n2,2\n2,3\n1,4\n", nullptr, {1}, "T", 0,
         orvhost::kDataSetStatusNotSorted,
         "ERROR: {dir}/x.csv, line 5: the data set T.X is not sorted by its BY variables (g): "
         "the BY values of this row come before those of line 3.\n"},
        {"unsorted DESCENDING", "g,x\nb,1\na,2\nc,3\n", nullptr, {-1}, "T", 0,
         orvhost::kDataSetStatusNotSorted,
         "ERROR: {dir}/x.csv, line 4: the data set T.X is not sorted by its BY variables (g "
         "DESCENDING): the BY values of this row come before those of line 3.\n"},
        {"missing sidecar field", "g,x\n1,2\n",
         "{\n  \"variables\": [\n    {\"name\": \"g\", \"type\": \"numeric\"},\n    {\"name\": \"x\"}\n  ]\n}\n",
         {}, "T", orvhost::kDataSetStatusOpenFailed, 0,
         "ERROR: {dir}/x.meta.json, line 4: variable 2 (\"x\") has no \"type\" field.\n"},
        {"sidecar not JSON", "g,x\n1,2\n", "{\n  \"variables\": [,\n}\n", {}, "T",
         orvhost::kDataSetStatusOpenFailed, 0,
         "ERROR: {dir}/x.meta.json, line 2: the sidecar is not valid JSON; mend the text there.\n"},
        {"sidecar names a variable twice, in another case", "sales,x\n1,2\n",
         "{\"variables\": [\n {\"name\": \"sales\", \"type\": \"numeric\"},\n"
         " {\"name\": \"SALES\", \"type\": \"numeric\"}]}",
         {}, "T", orvhost::kDataSetStatusOpenFailed, 0,
         "ERROR: {dir}/x.meta.json, line 3: variable 2 (\"SALES\") has the name of variable 1 "
         "(names are the same in any case); rename one.\n"},
        {"sidecar length 2^64 - 1", "g\n1\n",
         R"({"variables": [{"name": "g", "type": "numeric", "length": 18446744073709551615}]})",
         {}, "T", orvhost::kDataSetStatusOpenFailed, 0,
         "ERROR: {dir}/x.meta.json, line 1: variable 1 (\"g\"): the field \"length\" is "
         "18446744073709551615, outside 0 to 9223372036854775807.\n"},
        {"sidecar observations negative", "g\n1\n",
         R"({"observations": -1, "variables": [{"name": "g", "type": "numeric"}]})", {}, "T",
         orvhost::kDataSetStatusOpenFailed, 0,
         "ERROR: {dir}/x.meta.json, line 1: the data set: the field \"observations\" is -1, "
         "outside 0 to 9223372036854775807.\n"},
        {"sidecar number beyond a double", "g\n1\n",
         "{\"variables\": [\n  {\"name\": \"g\", \"type\": \"numeric\",\n   \"length\": 1e999}]}",
         {}, "T", orvhost::kDataSetStatusOpenFailed, 0,
         "ERROR: {dir}/x.meta.json, line 3: the value of the field \"length\" cannot be read: it "
         "is out of range; write a smaller number.\n"},
        {"sidecar lines after other nested objects", "g,x\n1,2\n",
         "{\"extra\": {\"a\": {\"b\": 1},\n  \"c\": {}},\n \"variables\": [\n"
         "  {\"name\": \"g\", \"type\": \"numeric\"},\n  {\"name\": \"x\"}]}",
         {}, "T", orvhost::kDataSetStatusOpenFailed, 0,
         "ERROR: {dir}/x.meta.json, line 5: variable 2 (\"x\") has no \"type\" field.\n"},
        {"sidecar variable not an object, named on its line", "g,x\n1,2\n",
         "{\"variables\": [\n {\"name\": \"g\", \"type\": \"numeric\"},\n 5]}", {}, "T",
         orvhost::kDataSetStatusOpenFailed, 0,
         "ERROR: {dir}/x.meta.json, line 3: variable 2 is not an object.\n"},
        {"sidecar a list, not an object", "g\n1\n", R"([{"variables": []}])", {}, "T",
         orvhost::kDataSetStatusOpenFailed, 0,
         "ERROR: {dir}/x.meta.json, line 1: the sidecar is not a JSON object.\n"},
        {"sidecar variables not a list", "g\n1\n", R"({"variables": {"name": "g"}})", {}, "T",
         orvhost::kDataSetStatusOpenFailed, 0,
         "ERROR: {dir}/x.meta.json, line 1: \"variables\" is not a list.\n"},
        {"sidecar field given twice: the later counts", "g,x\n1,2\n",
         "{\"variables\": [{\"name\": \"g\", \"type\": \"numeric\"}],\n \"variables\": [\n"
         "  {\"name\": \"g\", \"type\": \"numeric\", \"type\": \"text\"}]}",
         {}, "T", orvhost::kDataSetStatusOpenFailed, 0,
         "ERROR: {dir}/x.meta.json, line 3: variable 1 (\"g\"): the type is \"text\", not numeric or "
         "character.\n"},
        {"sidecar variables deeper down are not the list", "g,x\n1,2\n",
         "{\"extra\": {\"variables\": [{\"name\": 1}]},\n \"variables\": [{\"name\": \"g\", "
         "\"type\": \"numeric\"},\n  {\"name\": \"x\", \"type\": \"numeric\", \"length\": 8.0}]}",
         {}, "T", orvhost::kDataSetStatusOpenFailed, 0,
         "ERROR: {dir}/x.meta.json, line 3: variable 2 (\"x\"): the field \"length\" is not a whole "
         "number.\n"},
        {"a line feed in a quoted header name", "g,\"a\nNOTE: forged\x01\"\n1,2\n", nullptr, {},
         "T", orvhost::kDataSetStatusOpenFailed, 0,
         "ERROR: {dir}/x.csv, line 1: column 2 is named \"a\\x0ANOTE: forged\\x01\", which is "
         "not a variable name (1 to 32 letters, digits or underscores, starting with a letter "
         "or underscore).\n"},
        {"long and invalid UTF-8 values are cut and shown",
         "c\n\xC3\xA9\xFF"
         "0123456789012345678901234567890123456789012345678901234567890123456789\n",
         R"({"variables": [{"name": "c", "type": "character", "length": 4}]})", {}, "T", 0,
         orvhost::kDataSetStatusReadFailed,
         "ERROR: {dir}/x.csv, line 2: the value \"\xC3\xA9\\xFF" /* 64 bytes: 2 + 1 + 61 */
         "0123456789012345678901234567890123456789012345678901234567890...\" is longer than the 4 bytes of the character variable c.\n"},
        {"sidecar names other columns", "g,y\n1,2\n", kNumberSidecar, {}, "T",
         orvhost::kDataSetStatusOpenFailed, 0,
         "ERROR: {dir}/x.csv, line 1: column 2 is \"y\" but the sidecar {dir}/x.meta.json names it \"x\".\n"},
        {"text longer than its variable", "c\nabcdef\n",
         R"({"variables": [{"name": "c", "type": "character", "length": 4}]})", {}, "T", 0,
         orvhost::kDataSetStatusReadFailed,
         "ERROR: {dir}/x.csv, line 2: the value \"abcdef\" is longer than the 4 bytes of the "
         "character variable c.\n"},
        {"column name not a name", "g,my x\n1,2\n", nullptr, {}, "T",
         orvhost::kDataSetStatusOpenFailed, 0,
         "ERROR: {dir}/x.csv, line 1: column 2 is named \"my x\", which is not a variable name "
         "(1 to 32 letters, digits or underscores, starting with a letter or underscore).\n"},
        {"unknown library", "g,x\n1,2\n", nullptr, {}, "NOPE", orvhost::kDataSetStatusOpenFailed,
         0, "ERROR: The library NOPE is not assigned.\n"},
        {"empty file", "", nullptr, {}, "T", orvhost::kDataSetStatusOpenFailed, 0,
         "ERROR: {dir}/x.csv, line 1: the file has no header row.\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        std::filesystem::remove(path("x.meta.json"));
        writeFile(path("x.csv"), c.csv);
        if (c.sidecar != nullptr) writeFile(path("x.meta.json"), c.sidecar);
        int status = 0;
        DATA_SET_HANDLE *handle = open("x", ORV_DS_OPEN_INPUT, &status, c.libref);
        EXPECT_EQ(status, c.openStatus);
        if (handle != nullptr) {
            ASSERT_EQ(host_->dataSets().setByList(handle, c.by, false), 0);
            EXPECT_EQ(readAll(handle), c.readStatus);
            /* xofprc does not repeat a failure that was logged already. */
            void *ref = handle;
            EXPECT_EQ(xofprc(&ref, c.readStatus, 1), c.readStatus);
            EXPECT_EQ(xoclose(handle), 0);
        }
        EXPECT_EQ(takeLog(), withDir(c.message));
        /* A read failure fails the step; an open failure is the caller's to judge. */
        EXPECT_EQ(host_->dataSets().endStep(0),
                  c.readStatus != 0 ? orvhost::kDataSetErrorReturnCode : 0);
        takeLog();
    }
    int status = 0;
    EXPECT_EQ(open("nofile", ORV_DS_OPEN_INPUT, &status), nullptr);
    EXPECT_EQ(status, orvhost::kDataSetStatusOpenFailed);
    EXPECT_EQ(takeLog(), withDir("ERROR: The data set T.NOFILE does not exist: there is no file "
                                 "{dir}/nofile.csv.\n"));
}

/* Files of the wrong kind or size, and the pair of CSV file and sidecar
 * found by one rule whatever their case.  (Works as root: nothing here
 * depends on permissions.) */
TEST_F(BadInput, FilesAreFoundByOneRuleAndMustBeRegular)
{
    const char *kSidecar = R"({"variables": [{"name": "g", "type": "numeric"}]})";
    struct Case {
        const char *id;
        std::function<void()> make; /* makes the files of T.X */
        int openStatus;
        const char *message; /* the log after the open; {dir} is the library */
    };
    auto fifo = [](const std::string &path) { ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0); };
    const Case cases[] = {
        {"CSV file is a FIFO", [&] { fifo(path("x.csv")); },
         orvhost::kDataSetStatusOpenFailed,
         "ERROR: The data file {dir}/x.csv cannot be read: it is a FIFO, not a regular file; give "
         "the path of a file.\n"},
        {"CSV file is a character device",
         [&] { std::filesystem::create_symlink("/dev/zero", path("x.csv")); },
         orvhost::kDataSetStatusOpenFailed,
         "ERROR: The data file {dir}/x.csv cannot be read: it is a character device, not a "
         "regular file; give the path of a file.\n"},
        {"sidecar is a FIFO",
         [&] {
             writeFile(path("x.csv"), "g\n1\n");
             fifo(path("x.meta.json"));
         },
         orvhost::kDataSetStatusOpenFailed,
         "ERROR: The sidecar {dir}/x.meta.json cannot be read: it is a FIFO, not a regular file; "
         "give the path of a file.\n"},
        {"sidecar is a directory",
         [&] {
             writeFile(path("x.csv"), "g\n1\n");
             std::filesystem::create_directory(path("x.meta.json"));
         },
         orvhost::kDataSetStatusOpenFailed,
         "ERROR: The sidecar {dir}/x.meta.json cannot be read: it is a directory, not a regular "
         "file; give the path of a file.\n"},
        {"sidecar above its size limit",
         [&] {
             writeFile(path("x.csv"), "g\n1\n");
             writeFile(path("x.meta.json"), kSidecar);
             std::filesystem::resize_file(path("x.meta.json"), orvhost::kMaxSidecarBytes + 1);
         },
         orvhost::kDataSetStatusOpenFailed,
         "ERROR: The sidecar {dir}/x.meta.json cannot be read: it has 8388609 bytes, more than "
         "the 8388608 this host reads; make it smaller.\n"},
        {"sidecar in lower case beside an upper-case CSV file is read",
         [&] {
             writeFile(path("X.CSV"), "g\n1\n");
             writeFile(path("x.meta.json"), "{");
         },
         orvhost::kDataSetStatusOpenFailed,
         "ERROR: {dir}/x.meta.json, line 1: the sidecar is not valid JSON; mend the text there.\n"},
        {"a pair in other cases is named",
         [&] {
             writeFile(path("X.CSV"), "g\n1\n");
             writeFile(path("x.Meta.Json"), kSidecar);
         },
         0, "NOTE: The data set T.X is read from {dir}/X.CSV with the sidecar {dir}/x.Meta.Json.\n"},
        {"a CSV file in another case without a sidecar is named",
         [&] { writeFile(path("X.Csv"), "g\n1\n"); }, 0,
         "NOTE: The data set T.X is read from {dir}/X.Csv, which has no sidecar.\n"},
        {"two files that differ only in case",
         [&] {
             writeFile(path("X.csv"), "g\n1\n");
             writeFile(path("x.CSV"), "g\n2\n");
         },
         orvhost::kDataSetStatusOpenFailed,
         "ERROR: The files {dir}/X.csv and {dir}/x.CSV differ only in case, so the data set is "
         "ambiguous: rename or remove one of them (or give the name x.csv).\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        for (const auto &entry : std::filesystem::directory_iterator(dir_))
            std::filesystem::remove_all(entry.path());
        c.make();
        int status = 0;
        DATA_SET_HANDLE *handle = open("x", ORV_DS_OPEN_INPUT, &status);
        EXPECT_EQ(status, c.openStatus);
        if (handle != nullptr) {
            EXPECT_EQ(xoclose(handle), 0);
        }
        EXPECT_EQ(takeLog(), withDir(c.message));
        host_->dataSets().endStep(0);
        takeLog();
    }
}

/* What a step does with the output T.KEEP before it ends. */
struct StepPlan {
    const char *id;
    bool markCommit;   /* as the job language marks OUT= data sets */
    bool closeItself;  /* the procedure closes the output */
    bool repeatName;   /* defines a variable twice */
    bool readUnsorted; /* reads an input that is not sorted by its BY variable */
    int exitCode;      /* xexit's return code */
    int stepCode;      /* what runStep returns */
    bool replaced;     /* KEEP holds the new rows afterwards */
    const char *log;   /* the log's last line */
};
const StepPlan *plan = nullptr;

void runPlannedStep()
{
    std::string error;
    DATA_SET_HANDLE *output =
        orvhost::openDataSet("T", "keep", orvhost::DataSetMode::Output, error);
    if (plan->markCommit) orvhost::Host::current().dataSets().commitAtStepEnd(output);
    void *binding = nullptr;
    xvputi(output, 1, 32, &binding);
    double x = 0;
    VARIABLE_DESCRIPTOR descriptor;
    xvnamei(&descriptor);
    std::memcpy(descriptor.name, "x", 1);
    descriptor.nameLength = 1;
    xvputd(binding, &descriptor, 0, &x, 8, 0, 0);
    if (plan->repeatName) xvputd(binding, &descriptor, 0, &x, 8, 0, 0);
    xvpute(binding);
    for (x = 100; x < 103; ++x) {
        xyvput(binding, 0, output->row);
        output->write(output);
    }
    if (plan->readUnsorted) {
        DATA_SET_HANDLE *input = orvhost::openDataSet("T", "unsorted", orvhost::DataSetMode::Input, error);
        orvhost::Host::current().dataSets().setByList(input, {1}, false);
        while (xbynext(input) > 0) {
        }
    }
    if (plan->closeItself) xoclose(output);
    xexit(plan->exitCode, 0);
}

TEST_F(BadInput, AFailedStepLeavesTheEarlierOutputInPlace)
{
    const char *earlier = "x\n1\n2\n";
    const char *newer = "x\n100\n101\n102\n";
    writeFile(path("unsorted.csv"), "g\n2\n1\n");
    const StepPlan plans[] = {
        {"marked, step ends well", true, false, false, false, 0, 0, true,
         "NOTE: The data set T.KEEP has 3 observations and 1 variables."},
        {"marked, warnings only", true, false, false, false, 4, 4, true,
         "NOTE: The data set T.KEEP has 3 observations and 1 variables."},
        {"marked, step fails", true, false, false, false, 12, 12, false,
         "WARNING: The data set T.KEEP was not replaced: the step ended with return code 12."},
        {"marked, a BY group skipped", true, false, false, false, 108, 108, true,
         "NOTE: The data set T.KEEP has 3 observations and 1 variables."},
        {"marked, out of memory in a BY group", true, false, false, false, 116, 116, true,
         "NOTE: The data set T.KEEP has 3 observations and 1 variables."},
        {"marked, the only group skipped", true, false, false, false, 1008, 1008, true,
         "NOTE: The data set T.KEEP has 3 observations and 1 variables."},
        {"marked, out of memory before the groups", true, false, false, false, 1016, 1016, false,
         "WARNING: The data set T.KEEP was not replaced: the step ended with return code 1016."},
        {"marked, no input data set", true, false, false, false, 2000, 2000, false,
         "WARNING: The data set T.KEEP was not replaced: the step ended with return code 2000."},
        {"never closed", false, false, false, false, 0, 0, false,
         "WARNING: The data set T.KEEP was not closed by the step; its output was discarded."},
        {"closed by the procedure", false, true, false, false, 0, 0, true,
         "NOTE: The data set T.KEEP has 3 observations and 1 variables."},
        {"variable defined twice", false, true, true, false, 0,
         orvhost::kDataSetErrorReturnCode, false,
         "ERROR: The data set T.KEEP was not replaced because of the errors above."},
        {"input not sorted", true, false, false, true, 0, orvhost::kDataSetErrorReturnCode, false,
         "WARNING: The data set T.KEEP was not replaced: the step ended with return code 8."},
    };
    for (const StepPlan &p : plans) {
        SCOPED_TRACE(p.id);
        writeFile(path("keep.csv"), earlier);
        std::filesystem::remove(path("keep.meta.json"));
        plan = &p;
        EXPECT_EQ(host_->runStep(runPlannedStep), p.stepCode);
        EXPECT_EQ(readFile(path("keep.csv")), p.replaced ? newer : earlier);
        std::string log = takeLog();
        ASSERT_FALSE(log.empty());
        log.pop_back();
        EXPECT_EQ(log.substr(log.find_last_of('\n') + 1), p.log) << log;
        /* No temporary file is left behind. */
        for (const auto &entry : std::filesystem::directory_iterator(dir_))
            EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
        EXPECT_EQ(host_->dataSets().openCount(), 0u);
    }
}

}  // namespace
