/*
 * services_test.cpp - the data-set services as the modules call them: open
 * and describe, fetch, BY groups (several variables, DESCENDING, rewind,
 * synchronisation), output with BY values stamped, the moves of output
 * columns whatever their neighbours, and what round-trips through the files
 * (missing values, labels, formats).
 */
#include <cmath>
#include <filesystem>
#include <limits>

#include "host/missing_values.h"
#include "platform/dataset/data_set_status.h"
#include "platform/dataset/input_data_set.h"
#include "tests/platform/dataset/dataset_test_support.h"

namespace {

using namespace host_routines;
using orvtest::bitsOf;
using orvtest::readFile;
using orvtest::writeFile;

constexpr const char *kSalesSidecar = R"({
  "label": "Monthly sales",
  "variables": [
    {"name": "Region", "type": "character", "length": 8, "label": "Sales region"},
    {"name": "year", "type": "numeric", "length": 8},
    {"name": "date", "type": "numeric", "length": 8, "format": "DATE9."},
    {"name": "sales", "type": "numeric", "length": 8, "label": "Units", "format": "BEST12.2"}
  ]
}
)";

/* Sorted by Region, then year DESCENDING. */
constexpr const char *kSalesCsv =
    "Region,year,date,sales\n"
    "East,2021,2021-01-01,10\n"
    "East,2021,2021-02-01,11\n"
    "East,2020,2020-01-01,12\n"
    "West,2021,2021-01-01,.A\n"
    "West,2020,2020-01-01,14\n"
    "West,2020,2020-02-01,\n";

class DataSetServices : public orvtest::DataSetTest {
protected:
    void writeSales()
    {
        writeFile(path("sales.csv"), kSalesCsv);
        writeFile(path("sales.meta.json"), kSalesSidecar);
    }

    /* Opens T.SALES with BY Region year DESCENDING. */
    DATA_SET_HANDLE *openSalesByRegionYear()
    {
        writeSales();
        DATA_SET_HANDLE *handle = open("sales");
        EXPECT_NE(handle, nullptr) << takeLog();
        EXPECT_EQ(host_->dataSets().setByList(handle, {1, -2}, false), 0);
        return handle;
    }

    /* T.SALES open for reading and T.OTHER for writing. */
    void openSalesAndOther(DATA_SET_HANDLE *&input, DATA_SET_HANDLE *&output)
    {
        writeSales();
        input = open("sales");
        output = open("other", ORV_DS_OPEN_OUTPUT);
        ASSERT_NE(input, nullptr);
        ASSERT_NE(output, nullptr);
    }

    /* A fetch of sales into *value and Region into text[8]. */
    void *fetchSalesAndRegion(DATA_SET_HANDLE *handle, double *value, char *text)
    {
        void *fetch = nullptr;
        EXPECT_EQ(xvsele(handle), 0);
        EXPECT_EQ(xvgeti(handle, 2, &fetch), 0);
        EXPECT_EQ(xvgetd(fetch, 4, ORV_VAR_NUMERIC, value, 8, 8, 0, 0), 0);
        EXPECT_EQ(xvgetd(fetch, 1, ORV_VAR_CHARACTER, text, 8, 8, 0, 0), 0);
        EXPECT_EQ(xvgete(fetch), 0);
        return fetch;
    }

    /* The rest of the current group as "value;value;" (sales). */
    std::string readGroup(DATA_SET_HANDLE *handle, void *fetch, double *value)
    {
        std::string values;
        void *ref = handle;
        for (int guard = 0; guard < 100; ++guard) {
            int status = xybyget(&ref);
            if (handle->row == nullptr) {
                EXPECT_EQ(status, ORV_DS_END_OF_GROUP);
                return values;
            }
            EXPECT_EQ(xyvget(fetch, 0, handle->row), 0);
            values += (std::isnan(*value) ? std::string(".") : std::to_string(int(*value))) + ";";
        }
        return values + "(no end)";
    }
};

TEST_F(DataSetServices, DescribesAnOpenDataSet)
{
    writeSales();
    DATA_SET_HANDLE *handle = open("SALES");
    ASSERT_NE(handle, nullptr) << takeLog();

    int64_t count = 0;
    int32_t flag = 0;
    ASSERT_EQ(xoinfo(handle, ORV_DS_INFO_OBSERVATIONS, &count), 0);
    EXPECT_EQ(count, -1); /* the sidecar gives no count */
    ASSERT_EQ(xoinfo(handle, ORV_DS_INFO_COUNT_ESTIMATED, &flag), 0);
    EXPECT_EQ(flag, 1);
    ASSERT_EQ(xoinfo(handle, ORV_DS_INFO_COUNTED_OBSERVATIONS, &count), 0);
    EXPECT_EQ(count, 6);
    struct IntCase {
        int item;
        int32_t expected;
    } intCases[] = {{ORV_DS_INFO_OBSERVATION_NUMBERS, 1}, {ORV_DS_INFO_SEQUENTIAL, 1}};
    for (const IntCase &c : intCases) {
        SCOPED_TRACE(c.item);
        ASSERT_EQ(xoinfo(handle, c.item, &flag), 0);
        EXPECT_EQ(flag, c.expected);
    }
    char libref[8];
    ASSERT_EQ(xoinfo(handle, ORV_DS_INFO_LIBREF, libref), 0);
    EXPECT_EQ(std::string(libref, 8), "T       ");
    ORV_COUNTED_NAME member;
    ASSERT_EQ(xoinfo(handle, ORV_DS_INFO_MEMBER, &member), 0);
    EXPECT_EQ(std::string(member.text, size_t(member.length)), "SALES");
    ORV_COUNTED_LABEL label;
    ASSERT_EQ(xoinfo(handle, ORV_DS_INFO_LABEL, &label), 0);
    EXPECT_EQ(std::string(label.text, size_t(label.length)), "Monthly sales");
    EXPECT_EQ(label.text[label.length], ' ');
    ORV_COUNTED_DATA_SET_NAME qualified;
    ASSERT_EQ(xoinfo(handle, ORV_DS_INFO_QUALIFIED_NAME, &qualified), 0);
    EXPECT_EQ(std::string(qualified.text, size_t(qualified.length)), "T.SALES");
    EXPECT_EQ(xoinfo(handle, 999, &count), orvhost::kDataSetStatusUnknownItem);

    struct FindCase {
        const char *name;
        int status;
        int number;
    } findCases[] = {{"region", 0, 1}, {"SALES   ", 0, 4}, {"Date", 0, 3}, {"nosuch", orvhost::kDataSetStatusNotFound, 0}};
    for (const FindCase &c : findCases) {
        SCOPED_TRACE(c.name);
        int number = -7;
        EXPECT_EQ(xvfind(handle, c.name, int(strlen(c.name)), &number), c.status);
        EXPECT_EQ(number, c.number);
    }

    VARIABLE_DESCRIPTOR descriptor;
    ASSERT_EQ(xvname(handle, 4, &descriptor), 0);
    EXPECT_EQ(descriptor.number, 4);
    EXPECT_EQ(descriptor.type, ORV_VAR_NUMERIC);
    EXPECT_EQ(std::string(descriptor.name, size_t(descriptor.nameLength)), "sales");
    EXPECT_EQ(std::string(descriptor.label, size_t(descriptor.labelLength)), "Units");
    EXPECT_EQ(std::string(descriptor.formatName, size_t(descriptor.formatNameLength)), "BEST");
    EXPECT_EQ(descriptor.formatWidth, 12);
    EXPECT_EQ(descriptor.formatDecimals, 2);
    EXPECT_EQ(descriptor.formatCode, orvhost::formatIdentifier("BEST"));
    ASSERT_EQ(xvname(handle, 1, &descriptor), 0);
    EXPECT_EQ(descriptor.type, ORV_VAR_CHARACTER);
    EXPECT_EQ(descriptor.length, 8);
    EXPECT_EQ(descriptor.formatCode, orvhost::kNoFormat);
    EXPECT_EQ(xvname(handle, 5, &descriptor), orvhost::kDataSetStatusBadArgument);

    int date = 3, region = 1;
    EXPECT_EQ(xffile(handle, 66, &date, 1), 0);
    EXPECT_EQ(xfrfile(nullptr, handle, 'F', &date, 1), 0);
    EXPECT_EQ(xfrfile(nullptr, handle, 'F', &region, 1), 1);
    EXPECT_EQ(xoclose(handle), 0);
    EXPECT_EQ(xoinfo(handle, ORV_DS_INFO_OBSERVATIONS, &count), orvhost::kDataSetStatusBadHandle);
}

TEST_F(DataSetServices, FetchesThroughBothReadRoads)
{
    writeSales();
    DATA_SET_HANDLE *handle = open("sales");
    ASSERT_NE(handle, nullptr);
    EXPECT_NE(handle->flags & ORV_DS_READS_BY_GROUP, 0u);
    double value = 0;
    char text[8];
    void *fetch = fetchSalesAndRegion(handle, &value, text);

    /* Without a BY list the whole data set is one group; alternate the own
     * read routine and xybyget, which must agree. */
    const struct {
        const char *region;
        uint64_t bits;
    } rows[] = {
        {"East    ", bitsOf(10)}, {"East    ", bitsOf(11)}, {"East    ", bitsOf(12)},
        {"West    ", orvLetterMissingBits(0)}, {"West    ", bitsOf(14)}, {"West    ", ORV_MISSING_BITS},
    };
    void *ref = handle;
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        int status;
        if (i % 2 == 0) {
            handle->readMode = ORV_DS_READ_NEXT;
            handle->readFlags |= ORV_DS_COUNT;
            status = handle->read(handle);
        } else {
            status = xybyget(&ref);
        }
        ASSERT_EQ(status, 0);
        ASSERT_NE(handle->row, nullptr);
        ASSERT_EQ(xyvget(fetch, 0, handle->row), 0);
        EXPECT_EQ(std::string(text, 8), rows[i].region);
        EXPECT_EQ(bitsOf(value), rows[i].bits);
        EXPECT_EQ(xonote(handle, 7), i + 1);
        double direct = 0;
        EXPECT_EQ(xvget1f(handle, 4, &direct), 0);
        EXPECT_EQ(bitsOf(direct), rows[i].bits);
    }
    EXPECT_EQ(handle->observationCount, 3); /* the own reads counted */
    EXPECT_EQ(handle->read(handle), ORV_DS_END_OF_GROUP);
    EXPECT_EQ(handle->row, nullptr);
    EXPECT_EQ(xbynext(handle), 0);
    EXPECT_EQ(xvget1f(handle, 1, &value), orvhost::kDataSetStatusBadArgument);
    EXPECT_EQ(xyvget(fetch, 0, text), orvhost::kDataSetStatusBadArgument); /* not its row */
    EXPECT_EQ(xvgett(fetch), 0);
    EXPECT_EQ(xvgett(fetch), orvhost::kDataSetStatusBadHandle);
    EXPECT_EQ(xoclose(handle), 0);
}

TEST_F(DataSetServices, WalksByGroupsOfSeveralVariablesWithDescending)
{
    DATA_SET_HANDLE *handle = openSalesByRegionYear();
    double value = 0;
    char text[8];
    void *fetch = fetchSalesAndRegion(handle, &value, text);

    /* Each step: what the test does, and what it must see.  The change
     * index is the first BY variable whose value differs from the previous
     * group's. */
    struct Step {
        const char *id;
        char action; /* 'n' xbynext, 'r' read the rest, 'w' rewind, 'f' read one */
        int result;
        const char *values;
    };
    const Step steps[] = {
        {"first group", 'n', 1, ""},
        {"read East 2021", 'r', 0, "10;11;"},
        {"rewind after its end", 'w', 0, ""},
        {"read it again", 'r', 0, "10;11;"},
        {"year changes", 'n', 2, ""},
        {"read East 2020", 'r', 0, "12;"},
        {"region changes", 'n', 1, ""},
        {"read one of West 2021", 'f', 0, ".;"},
        {"skip the rest", 'n', 2, ""},
        {"read one of West 2020", 'f', 0, "14;"},
        {"rewind mid-group", 'w', 0, ""},
        {"read West 2020", 'r', 0, "14;.;"},
        {"no more groups", 'n', 0, ""},
        {"still none", 'n', 0, ""},
    };
    void *ref = handle;
    for (const Step &step : steps) {
        SCOPED_TRACE(step.id);
        switch (step.action) {
        case 'n': EXPECT_EQ(xbynext(handle), step.result); break;
        case 'w': EXPECT_EQ(xbyrwnd(handle, 66), step.result); break;
        case 'r': EXPECT_EQ(readGroup(handle, fetch, &value), step.values); break;
        case 'f':
            ASSERT_EQ(xybyget(&ref), 0);
            ASSERT_EQ(xyvget(fetch, 0, handle->row), 0);
            EXPECT_EQ((std::isnan(value) ? std::string(".") : std::to_string(int(value))) + ";",
                      step.values);
            break;
        }
    }
    int count = 0;
    int *numbers = nullptr;
    ASSERT_EQ(xbyvinf(handle, &count, &numbers, nullptr, nullptr, nullptr, nullptr, 85), 0);
    ASSERT_EQ(count, 2);
    EXPECT_EQ(numbers[0], 1);
    EXPECT_EQ(numbers[1], -2);
    EXPECT_EQ(takeLog(), "");
}

/* Rows of one group mostly repeat the BY bytes of its first row, and that
 * is looked at first; where the bytes differ the values decide: 0 and -0
 * are one group, and a difference past the first 16 bytes of a long text
 * (k and m adjoin in the row and are looked at as one run) starts one. */
TEST_F(DataSetServices, TellsGroupsByValuesWhereTheirBytesDiffer)
{
    writeFile(path("keys.csv"), "k,m,name,v\n"
                                "1,0,alpha-long-name-xx,1\n"
                                "1,-0,alpha-long-name-xx,2\n"
                                "1,1,alpha-long-name-xx,3\n"
                                "1,1,alpha-long-name-xy,4\n"
                                "2,1,alpha-long-name-xy,5\n");
    writeFile(path("keys.meta.json"), R"({"variables": [
    {"name": "k", "type": "numeric", "length": 8},
    {"name": "m", "type": "numeric", "length": 8},
    {"name": "name", "type": "character", "length": 20},
    {"name": "v", "type": "numeric", "length": 8}]})");
    DATA_SET_HANDLE *handle = open("keys");
    ASSERT_NE(handle, nullptr) << takeLog();
    ASSERT_EQ(host_->dataSets().setByList(handle, {1, 2, 3}, false), 0);
    double value = 0;
    void *fetch = nullptr;
    ASSERT_EQ(xvgeti(handle, 1, &fetch), 0);
    ASSERT_EQ(xvgetd(fetch, 4, ORV_VAR_NUMERIC, &value, 8, 8, 0, 0), 0);
    ASSERT_EQ(xvgete(fetch), 0);
    struct Group {
        const char *id;
        int change; /* xbynext: the first BY variable that differs */
        const char *values;
    };
    const Group groups[] = {
        {"first, 0 and -0 together", 1, "1;2;"},
        {"m changes", 2, "3;"},
        {"name changes at byte 19", 3, "4;"},
        {"k changes", 1, "5;"},
        {"no more", 0, ""},
    };
    for (const Group &group : groups) {
        SCOPED_TRACE(group.id);
        EXPECT_EQ(xbynext(handle), group.change);
        EXPECT_EQ(readGroup(handle, fetch, &value), group.values);
    }
    EXPECT_EQ(takeLog(), "");
}

TEST_F(DataSetServices, ReadingStartsTheFirstGroupAndEmptyDataHasNone)
{
    DATA_SET_HANDLE *handle = openSalesByRegionYear();
    double value = 0;
    char text[8];
    void *fetch = fetchSalesAndRegion(handle, &value, text);
    EXPECT_EQ(readGroup(handle, fetch, &value), "10;11;"); /* group 1 without xbynext */
    EXPECT_EQ(xbynext(handle), 2);
    EXPECT_EQ(readGroup(handle, fetch, &value), "12;");

    writeFile(path("empty.csv"), "a,b\n");
    DATA_SET_HANDLE *empty = open("empty");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(xbynext(empty), 0);
    void *ref = empty;
    EXPECT_EQ(xybyget(&ref), ORV_DS_END_OF_GROUP);
    EXPECT_EQ(xbyrwnd(empty, 66), 0);
    EXPECT_EQ(xbynext(empty), 0);
}

TEST_F(DataSetServices, PointsToNotedObservations)
{
    std::string text = "n\n";
    for (int i = 1; i <= 3000; ++i) text += std::to_string(i * 10) + "\n";
    writeFile(path("many.csv"), text);
    DATA_SET_HANDLE *handle = open("many");
    ASSERT_NE(handle, nullptr);
    const int64_t targets[] = {2500, 1, 1025, 3000, 2048};
    void *ref = handle;
    for (int64_t n : targets) {
        SCOPED_TRACE(n);
        ASSERT_EQ(xopnt(handle, n), 0);
        ASSERT_EQ(xybyget(&ref), 0);
        double value = 0;
        ASSERT_EQ(xvget1f(handle, 1, &value), 0);
        EXPECT_EQ(value, double(n * 10));
        EXPECT_EQ(xonote(handle, 7), n);
    }
    EXPECT_EQ(xopnt(handle, 3001), orvhost::kDataSetStatusBadArgument);
    EXPECT_EQ(xopnt(handle, 0), orvhost::kDataSetStatusBadArgument);
}

TEST_F(DataSetServices, SynchronisesAFollowerOnTheLeadsByValues)
{
    DATA_SET_HANDLE *lead = openSalesByRegionYear();
    /* The follower has only Region, and lacks East. */
    writeFile(path("targets.csv"), "REGION,goal\nNorth,1\nWest,2\nWest,3\nZulu,4\n");
    DATA_SET_HANDLE *follow = open("targets");
    ASSERT_NE(follow, nullptr);
    ASSERT_EQ(xbyslst(lead, follow, 1), 0);
    int count = 0;
    int *numbers = nullptr;
    ASSERT_EQ(xbyvinf(follow, &count, &numbers, nullptr, nullptr, nullptr, nullptr, 85), 0);
    ASSERT_EQ(count, 1);
    EXPECT_EQ(numbers[0], 1);

    auto goals = [&]() {
        std::string result;
        void *ref = follow;
        while (xybyget(&ref) == 0) {
            double goal = 0;
            xvget1f(follow, 2, &goal);
            result += std::to_string(int(goal)) + ";";
        }
        return result;
    };
    struct Step {
        const char *id;
        int leadChange; /* xbynext of the lead */
        int sync;       /* xbysync result */
        const char *goals;
    };
    const Step steps[] = {
        {"East 2021: no East", 1, 1, ""},
        {"East 2020: still none", 2, 1, ""},
        {"West 2021: found", 1, 0, "2;3;"},
        {"West 2020: found again", 2, 0, "2;3;"},
    };
    for (const Step &step : steps) {
        SCOPED_TRACE(step.id);
        ASSERT_EQ(xbynext(lead), step.leadChange);
        EXPECT_EQ(xbysync(lead, follow), step.sync);
        EXPECT_EQ(goals(), step.goals);
    }
    EXPECT_EQ(xbynext(lead), 0);
}

TEST_F(DataSetServices, WritesOutputWithByValuesStamped)
{
    DATA_SET_HANDLE *input = openSalesByRegionYear();
    DATA_SET_HANDLE *output = open("OUT", ORV_DS_OPEN_OUTPUT);
    ASSERT_NE(output, nullptr) << takeLog();
    EXPECT_EQ(output->row, nullptr);

    ORV_COUNTED_LABEL label{};
    std::memset(label.text, ' ', sizeof label.text);
    std::memcpy(label.text, "Sales per group", 15);
    label.length = 15;
    ASSERT_EQ(xoinfo(output, ORV_DS_INFO_SET_LABEL, &label), 0);

    void *binding = nullptr;
    ASSERT_EQ(xvputi(output, 4, 32, &binding), 0);
    void *second = nullptr;
    EXPECT_EQ(xvputi(output, 4, 32, &second), orvhost::kDataSetStatusNotDefined);
    const int by[] = {1, -2};
    ASSERT_EQ(xvputcv(binding, input, by, 2, 0), 0);
    double total = 0;
    char note[16];
    VARIABLE_DESCRIPTOR descriptor;
    xvnamei(&descriptor);
    EXPECT_EQ(descriptor.formatCode, orvhost::kNoFormat);
    std::memcpy(descriptor.name, "_TOTAL_", 7);
    descriptor.nameLength = 7;
    std::memcpy(descriptor.label, "Total units", 11);
    descriptor.labelLength = 11;
    ASSERT_EQ(xvputd(binding, &descriptor, 0, &total, 8, 0, 0), 0);
    xvnamei(&descriptor);
    std::memcpy(descriptor.name, "_NOTE_", 6);
    descriptor.nameLength = 6;
    descriptor.type = ORV_VAR_CHARACTER;
    ASSERT_EQ(xvputd(binding, &descriptor, 0, note, 16, 0, 0), 0);
    int64_t rows = 0;
    ASSERT_EQ(xvpute(binding), 0);
    ASSERT_NE(output->row, nullptr);

    void *fetch = nullptr;
    double sales = 0;
    /* The count is only a hint: the largest int reserves no wild room. */
    ASSERT_EQ(xvgeti(input, std::numeric_limits<int>::max(), &fetch), 0);
    ASSERT_EQ(xvgetd(fetch, 4, 0, &sales, 8, 8, 0, 0), 0);
    ASSERT_EQ(xvgete(fetch), 0);
    while (xbynext(input) > 0) {
        total = 0;
        void *ref = input;
        while (xybyget(&ref) == 0) {
            xyvput(binding, 0, output->row); /* stamps the BY values on any row */
            xyvget(fetch, 0, input->row);
            if (!std::isnan(sales)) total += sales;
        }
        std::memset(note, ' ', sizeof note);
        std::memcpy(note, total > 20 ? "big, \"really\"" : "small", total > 20 ? 13 : 5);
        ASSERT_EQ(xyvput(binding, 0, output->row), 0);
        ASSERT_EQ(output->write(output), 0);
    }
    ASSERT_EQ(xoinfo(output, ORV_DS_INFO_OBSERVATIONS, &rows), 0);
    EXPECT_EQ(rows, 4);
    EXPECT_EQ(xoclose(output), 0);
    EXPECT_EQ(takeLog(), "NOTE: The data set T.OUT has 4 observations and 4 variables.\n");
    EXPECT_EQ(readFile(path("out.csv")),
              "Region,year,_TOTAL_,_NOTE_\n"
              "East,2021,21,\"big, \"\"really\"\"\"\n"
              "East,2020,12,small\n"
              "West,2021,0,small\n"
              "West,2020,14,small\n");

    /* The sidecar carries the labels and formats back. */
    DATA_SET_HANDLE *back = open("out");
    ASSERT_NE(back, nullptr);
    ASSERT_EQ(xoinfo(back, ORV_DS_INFO_OBSERVATIONS, &rows), 0);
    EXPECT_EQ(rows, 4); /* known from the sidecar */
    ORV_COUNTED_LABEL backLabel;
    ASSERT_EQ(xoinfo(back, ORV_DS_INFO_LABEL, &backLabel), 0);
    EXPECT_EQ(std::string(backLabel.text, size_t(backLabel.length)), "Sales per group");
    struct DescribedCase {
        int number;
        const char *name;
        const char *label;
        int type;
        int length;
    } described[] = {{1, "Region", "Sales region", ORV_VAR_CHARACTER, 8},
                     {2, "year", "", ORV_VAR_NUMERIC, 8},
                     {3, "_TOTAL_", "Total units", ORV_VAR_NUMERIC, 8},
                     {4, "_NOTE_", "", ORV_VAR_CHARACTER, 16}};
    for (const DescribedCase &c : described) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(xvname(back, c.number, &descriptor), 0);
        EXPECT_EQ(std::string(descriptor.name, size_t(descriptor.nameLength)), c.name);
        EXPECT_EQ(std::string(descriptor.label, size_t(descriptor.labelLength)), c.label);
        EXPECT_EQ(descriptor.type, c.type);
        EXPECT_EQ(descriptor.length, c.length);
    }
}

/* xyvput moves numeric columns whose buffers and cells both adjoin as one
 * run; a BY column between cells, buffers out of order, a buffer used
 * twice and a text column between them must still land each value in its
 * own cell. */
TEST_F(DataSetServices, MovesEachColumnToItsCellWhateverItsNeighbours)
{
    DATA_SET_HANDLE *input = openSalesByRegionYear();
    DATA_SET_HANDLE *output = open("PLAN", ORV_DS_OPEN_OUTPUT);
    ASSERT_NE(output, nullptr) << takeLog();
    void *binding = nullptr;
    /* The count of variables is only a hint; one far too large must not
     * be reserved. */
    ASSERT_EQ(xvputi(output, std::numeric_limits<int>::max(), 32, &binding), 0);
    double values[5] = {};
    char note[4];
    /* Cells in this order (numbers first): a b year c d e f, then note. */
    auto number = [&](const char *name, double *slot) {
        VARIABLE_DESCRIPTOR descriptor;
        xvnamei(&descriptor);
        descriptor.nameLength = int16_t(std::strlen(name));
        std::memcpy(descriptor.name, name, std::strlen(name));
        return xvputd(binding, &descriptor, 0, slot, 8, 0, 0);
    };
    ASSERT_EQ(number("a", &values[0]), 0);
    ASSERT_EQ(number("b", &values[1]), 0);
    const int year[] = {2};
    ASSERT_EQ(xvputcv(binding, input, year, 1, 0), 0); /* a cell between b and c */
    ASSERT_EQ(number("c", &values[2]), 0);              /* buffer follows b's */
    VARIABLE_DESCRIPTOR text;
    xvnamei(&text);
    std::memcpy(text.name, "note", 4);
    text.nameLength = 4;
    text.type = ORV_VAR_CHARACTER;
    ASSERT_EQ(xvputd(binding, &text, 0, note, 4, 0, 0), 0);
    ASSERT_EQ(number("d", &values[4]), 0); /* cell follows c's, buffer does not */
    ASSERT_EQ(number("e", &values[3]), 0); /* buffer before d's */
    ASSERT_EQ(number("f", &values[4]), 0); /* d's buffer again, after e's */
    ASSERT_EQ(xvpute(binding), 0);

    int group = 0;
    while (xbynext(input) > 0) {
        ++group;
        for (int k = 0; k < 5; ++k) values[k] = group * 10 + k;
        std::memcpy(note, group % 2 == 0 ? "even" : "odd ", 4);
        ASSERT_EQ(xyvput(binding, 0, output->row), 0);
        ASSERT_EQ(output->write(output), 0);
    }
    EXPECT_EQ(xoclose(output), 0);
    EXPECT_EQ(readFile(path("plan.csv")),
              "a,b,year,c,note,d,e,f\n"
              "10,11,2021,12,odd,14,13,14\n"
              "20,21,2020,22,even,24,23,24\n"
              "30,31,2021,32,odd,34,33,34\n"
              "40,41,2020,42,even,44,43,44\n");
}

TEST_F(DataSetServices, RoundTripsMissingValuesFormatsAndDates)
{
    DATA_SET_HANDLE *output = open("values", ORV_DS_OPEN_OUTPUT);
    ASSERT_NE(output, nullptr);
    void *binding = nullptr;
    ASSERT_EQ(xvputi(output, 3, 32, &binding), 0);
    double plain = 0, date = 0, stamp = 0;
    struct Column {
        const char *name;
        const char *format;
        int width;
        double *slot;
    } columns[] = {{"plain", "", 0, &plain}, {"date", "DATE", 9, &date}, {"stamp", "DATETIME", 0, &stamp}};
    for (const Column &column : columns) {
        VARIABLE_DESCRIPTOR descriptor;
        xvnamei(&descriptor);
        descriptor.nameLength = int16_t(strlen(column.name));
        std::memcpy(descriptor.name, column.name, strlen(column.name));
        descriptor.formatNameLength = int16_t(strlen(column.format));
        std::memcpy(descriptor.formatName, column.format, strlen(column.format));
        descriptor.formatWidth = int16_t(column.width);
        ASSERT_EQ(xvputd(binding, &descriptor, 0, column.slot, 8, 0, 0), 0);
    }
    ASSERT_EQ(xvpute(binding), 0);

    std::vector<double> values = {std::bit_cast<double>(ORV_MISSING_BITS),
                                  std::bit_cast<double>(ORV_MISSING_UNDERSCORE_BITS)};
    for (int k = 0; k < 26; ++k) values.push_back(std::bit_cast<double>(orvLetterMissingBits(k)));
    for (double v : {0.1, -0.0, 1e-310, 21915.0, 1893493800.0, 1940716745.5, -137774.0, 7.25})
        values.push_back(v);
    for (double v : values) {
        plain = date = stamp = v;
        ASSERT_EQ(xyvput(binding, 0, output->row), 0);
        ASSERT_EQ(output->write(output), 0);
    }
    ASSERT_EQ(xoclose(output), 0);
    std::string csv = readFile(path("values.csv"));
    EXPECT_NE(csv.find("\n21915,2020-01-01,1960-01-01T06:05:15\n"), std::string::npos) << csv;
    EXPECT_NE(csv.find("\n1893493800,1893493800,2020-01-01T10:30:00\n"), std::string::npos);
    EXPECT_NE(csv.find("\n1940716745.5,1940716745.5,2021-06-30T23:59:05.5\n"), std::string::npos);
    EXPECT_NE(readFile(path("values.meta.json")).find("\"format\": \"DATETIME.\""), std::string::npos);

    DATA_SET_HANDLE *input = open("values");
    ASSERT_NE(input, nullptr);
    void *ref = input;
    for (size_t i = 0; i < values.size(); ++i) {
        SCOPED_TRACE(i);
        ASSERT_EQ(xybyget(&ref), 0);
        for (int variable = 1; variable <= 3; ++variable) {
            double back = 0;
            ASSERT_EQ(xvget1f(input, variable, &back), 0);
            EXPECT_EQ(bitsOf(back), bitsOf(values[i])) << "variable " << variable;
        }
    }
    VARIABLE_DESCRIPTOR descriptor;
    ASSERT_EQ(xvname(input, 2, &descriptor), 0);
    EXPECT_EQ(std::string(descriptor.formatName, size_t(descriptor.formatNameLength)), "DATE");
    EXPECT_EQ(descriptor.formatWidth, 9);
    EXPECT_EQ(descriptor.formatCode, orvhost::formatIdentifier("DATE"));
}

TEST_F(DataSetServices, InfersTheDescriptionOfACsvWithoutSidecar)
{
    writeFile(path("guess.csv"),
              "id,when,stamp,name,mixed,empty,code\n"
              "1,2020-01-01,2020-01-01T10:30:00,Anna,2020-01-01,,007\n"
              ".,1959-12-31,,\"Bo, Jr.\",5,.,x\n"
              "3.5,,1959-12-31 23:59:59,,,NA,12\n");
    DATA_SET_HANDLE *handle = open("guess");
    ASSERT_NE(handle, nullptr) << takeLog();
    struct Case {
        int number;
        int type;
        int length;
        const char *format;
        int width;
    } cases[] = {{1, ORV_VAR_NUMERIC, 8, "", 0},        {2, ORV_VAR_NUMERIC, 8, "DATE", 9},
                 {3, ORV_VAR_NUMERIC, 8, "DATETIME", 0}, {4, ORV_VAR_CHARACTER, 7, "", 0},
                 {5, ORV_VAR_CHARACTER, 10, "", 0},      {6, ORV_VAR_NUMERIC, 8, "", 0},
                 {7, ORV_VAR_CHARACTER, 3, "", 0}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.number);
        VARIABLE_DESCRIPTOR descriptor;
        ASSERT_EQ(xvname(handle, c.number, &descriptor), 0);
        EXPECT_EQ(descriptor.type, c.type);
        EXPECT_EQ(descriptor.length, c.length);
        EXPECT_EQ(std::string(descriptor.formatName, size_t(descriptor.formatNameLength)), c.format);
        EXPECT_EQ(descriptor.formatWidth, c.width);
    }
    int64_t count = 0;
    ASSERT_EQ(xoinfo(handle, ORV_DS_INFO_OBSERVATIONS, &count), 0);
    EXPECT_EQ(count, 3);
    void *ref = handle;
    ASSERT_EQ(xybyget(&ref), 0);
    ASSERT_EQ(xybyget(&ref), 0);
    double when = 0, stamp = 0;
    ASSERT_EQ(xvget1f(handle, 2, &when), 0);
    EXPECT_EQ(when, -1);
    ASSERT_EQ(xybyget(&ref), 0);
    ASSERT_EQ(xvget1f(handle, 3, &stamp), 0);
    EXPECT_EQ(stamp, -1);
    EXPECT_EQ(xvget1f(handle, 4, &stamp), orvhost::kDataSetStatusTypeMismatch);
}

TEST_F(DataSetServices, ResolvesVariableLists)
{
    writeSales();
    DATA_SET_HANDLE *handle = open("sales");
    ASSERT_NE(handle, nullptr);
    struct Case {
        const char *id;
        uint8_t given;
        std::vector<int32_t> numbers;
        int status;
        int count;
    } cases[] = {
        {"no list", 0, {}, 0, 0},
        {"numbers", 1, {4, 2}, 0, 2},
        {"character variable", 1, {1}, orvhost::kDataSetStatusTypeMismatch, 0},
        {"no such variable", 1, {9}, orvhost::kDataSetStatusTypeMismatch, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        std::vector<int32_t> numbers = c.numbers;
        ORV_VARIABLE_LIST_SLOT slot{};
        slot.given = c.given;
        slot.count = int32_t(numbers.size());
        slot.numbers = numbers.data();
        EXPECT_EQ(xvdflst(handle, 1, &slot, 2, nullptr, nullptr), c.status);
        ASSERT_EQ(slot.count, c.count);
        for (int i = 0; i < c.count; ++i) EXPECT_EQ(slot.numbers[i], c.numbers[size_t(i)]);
        EXPECT_EQ(takeLog().find("ERROR: ") != std::string::npos, c.status != 0);
    }
}

/* Handles and bindings are refused once closed, also right after they were
 * used (the store remembers the last ones it found). */
TEST_F(DataSetServices, ClosedHandlesAreRefusedRightAfterUse)
{
    DATA_SET_HANDLE *input = nullptr, *output = nullptr;
    ASSERT_NO_FATAL_FAILURE(openSalesAndOther(input, output));
    void *binding = nullptr;
    ASSERT_EQ(xvputi(output, 1, 32, &binding), 0);
    enum class Action { Info, Put, Close };
    const struct {
        const char *id;
        Action action;
        DATA_SET_HANDLE *handle;
        int expected;
    } steps[] = {
        {"output", Action::Info, output, 0},
        {"input", Action::Info, input, 0},
        {"binding before xvpute", Action::Put, output, orvhost::kDataSetStatusNotDefined},
        {"close input", Action::Close, input, 0},
        {"closed input", Action::Info, input, orvhost::kDataSetStatusBadHandle},
        {"open output", Action::Info, output, 0},
        {"close output", Action::Close, output, 0},
        {"closed output", Action::Info, output, orvhost::kDataSetStatusBadHandle},
        {"closed binding", Action::Put, output, orvhost::kDataSetStatusBadHandle},
    };
    int64_t count = 0;
    uint8_t row[64] = {}; /* never the output's row: Put steps fail before using it */
    for (const auto &step : steps) {
        SCOPED_TRACE(step.id);
        int status = 0;
        switch (step.action) {
        case Action::Info:
            status = xoinfo(step.handle, ORV_DS_INFO_OBSERVATIONS, &count);
            break;
        case Action::Put:
            status = xyvput(binding, 0, row);
            break;
        case Action::Close:
            status = xoclose(step.handle);
            break;
        }
        EXPECT_EQ(status, step.expected);
    }
    takeLog();
}

/* A fetch list is refused once its data set is closed, also right after a
 * row was fetched through it (the store remembers the last one found). */
TEST_F(DataSetServices, FetchOfAClosedInputIsRefusedRightAfterUse)
{
    DATA_SET_HANDLE *input = nullptr, *output = nullptr;
    ASSERT_NO_FATAL_FAILURE(openSalesAndOther(input, output));
    double value = 0;
    char text[8];
    void *fetch = fetchSalesAndRegion(input, &value, text);
    void *ref = input;
    ASSERT_EQ(xybyget(&ref), 0);
    const void *row = input->row;
    ASSERT_EQ(xyvget(fetch, 0, row), 0);
    ASSERT_EQ(xoclose(input), 0);
    EXPECT_EQ(xyvget(fetch, 0, row), orvhost::kDataSetStatusBadHandle);
    EXPECT_EQ(xvgett(fetch), orvhost::kDataSetStatusBadHandle);
    takeLog();
}

TEST_F(DataSetServices, RefusesWhatAHandleCannotDo)
{
    DATA_SET_HANDLE *input = nullptr, *output = nullptr;
    ASSERT_NO_FATAL_FAILURE(openSalesAndOther(input, output));
    int stranger[16] = {};
    void *fetch = nullptr, *binding = nullptr;
    struct Case {
        const char *id;
        int status;
        int expected;
    } cases[] = {
        {"write an input", input->write(input), orvhost::kDataSetStatusWrongMode},
        {"read an output", output->read(output), orvhost::kDataSetStatusWrongMode},
        {"fetch from an output", xvgeti(output, 1, &fetch), orvhost::kDataSetStatusWrongMode},
        {"bind an input", xvputi(input, 1, 32, &binding), orvhost::kDataSetStatusWrongMode},
        {"write before xvpute", output->write(output), orvhost::kDataSetStatusNotDefined},
        {"foreign handle", xvsele(stranger), orvhost::kDataSetStatusBadHandle},
        {"foreign fetch", xyvget(stranger, 0, stranger), orvhost::kDataSetStatusBadHandle},
        {"rewind option", xbyrwnd(input, 65), orvhost::kDataSetStatusBadArgument},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(c.status, c.expected);
    }
    EXPECT_EQ(xbynext(stranger), 0); /* ends a group loop */
    takeLog();

    /* xofprc reports a status once, with the data set's name, and clears
     * the pending flag. */
    void *ref = input;
    input->flags |= ORV_DS_STATUS_PENDING;
    EXPECT_EQ(xofprc(&ref, orvhost::kDataSetStatusWrongMode, 4), orvhost::kDataSetStatusWrongMode);
    EXPECT_EQ(input->flags & ORV_DS_STATUS_PENDING, 0u);
    EXPECT_EQ(takeLog(), "ERROR: The data set T.SALES: A data set was read that is open for "
                         "output, or written that is open for input.\n");
    EXPECT_EQ(xofprc(&ref, ORV_DS_END_OF_GROUP, 1), ORV_DS_END_OF_GROUP);
    EXPECT_EQ(takeLog(), "");

    /* A failed allocation is counted for xmemdef, not reported at the call. */
    host_->memory().failAllocation(1);
    EXPECT_EQ(xvgeti(input, 1, &fetch), orvhost::kDataSetStatusNoMemory);
    EXPECT_EQ(fetch, nullptr);
    EXPECT_EQ(xmemdef(), 1);
    EXPECT_EQ(xvgeti(input, 1, &fetch), 0);
}

TEST_F(DataSetServices, WorkIsATemporaryLibraryRemovedWithTheHost)
{
    DATA_SET_OPEN_REQUEST request;
    std::memset(&request, 0, sizeof request); /* zero libref and length: WORK */
    std::memcpy(request.member, "scratch", 7);
    request.mode = ORV_DS_OPEN_OUTPUT;
    void *handle = nullptr;
    ASSERT_EQ(xoopen(&request, &handle), 0) << takeLog();
    char libref[8];
    ASSERT_EQ(xoinfo(handle, ORV_DS_INFO_LIBREF, libref), 0);
    EXPECT_EQ(std::string(libref, 8), "WORK    ");
    ASSERT_EQ(xoclose(handle), 0);
    std::string error;
    std::string work = host_->dataSets().libraries().directory("", error);
    ASSERT_FALSE(work.empty()) << error;
    EXPECT_TRUE(std::filesystem::exists(work + "/scratch.csv"));
    EXPECT_TRUE(std::filesystem::exists(work + "/scratch.meta.json"));
    host_.reset();
    EXPECT_FALSE(std::filesystem::exists(work));
}

TEST_F(DataSetServices, NamesTheCurrentLocale)
{
    const char *saved = getenv("LC_ALL");
    std::string keep = saved != nullptr ? saved : "";
    struct Case {
        const char *setting;
        const char *name;
    } cases[] = {{"de_CH.UTF-8", "de_CH"}, {"C", "."}, {"en_US@euro", "en_US"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.setting);
        setenv("LC_ALL", c.setting, 1);
        char buffer[8];
        int length = wztxgcli(buffer, sizeof buffer);
        EXPECT_EQ(std::string(buffer, size_t(length)), c.name);
        EXPECT_EQ(wztxgln(-1, buffer, sizeof buffer), length);
    }
    char buffer[8];
    EXPECT_EQ(wztxgln(3, buffer, sizeof buffer), orvhost::kDataSetStatusNoLocale);
    if (saved != nullptr) {
        setenv("LC_ALL", keep.c_str(), 1);
    } else {
        unsetenv("LC_ALL");
    }
}

}  // namespace
