/*
 * series_names_test.cpp - the name tables of the time-series layer: names,
 * stored lengths and catalogue labels by code, names back to codes, the
 * label numbering rule of the fit statistics, and the identity of a data
 * set with every host item in a field of its own size.
 */
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "host/services.h"
#include "platform/host.h"
#include "series/series_names.h"
#include "tests/series/read_road.h"
#include "tests/support/module_host.h"

namespace {

std::string nameOf(const ORV_COUNTED_NAME &name) { return std::string(name.text, size_t(name.length)); }

std::string labelOf(const ORV_COUNTED_LABEL &label) { return std::string(label.text, size_t(label.length)); }

/* The catalogue's text of message (762, number). */
std::string catalogueLabel(int number)
{
    const orvhost::CatalogueEntry *entry = orvtest::moduleHost().catalogue().find(762, number);
    return entry != nullptr ? entry->text : "";
}

struct CodeCase {
    const char *id;
    int (*function)(int, ORV_COUNTED_NAME *, ORV_COUNTED_LABEL *);
    int code;
    int result;
    const char *name; /* with its stored length */
    int label;
};

TEST(SeriesNames, CodesGiveNamesAndLabels)
{
    const std::vector<CodeCase> cases = {
        {"accumulation NONE", ZTSAccCodeName, 0, 0, "NONE", 1300},
        {"accumulation N", ZTSAccCodeName, 12, 0, "N", 1312},
        {"accumulation NMISS", ZTSAccCodeName, 13, 0, "NMISS", 1313},
        {"accumulation 14", ZTSAccCodeName, 14, -1, "UNKNOWN", 1350},
        {"accumulation -1", ZTSAccCodeName, -1, -1, "UNKNOWN", 1350},
        {"transform LOG keeps its blanks", ZTSTransCodeName, 1, 0, "LOG     ", 1501},
        {"transform BOXCOX", ZTSTransCodeName, 4, 0, "BOXCOX  ", 1504},
        {"transform AUTO", ZTSTransCodeName, 10, 0, "AUTO", 1505},
        {"transform 5", ZTSTransCodeName, 5, -1, "UNKNOWN", 1599},
        {"fit SSE", ZTSSelectCodeName, 1, 0, "SSE", 1231},
        {"fit A_ADJ_RSQ", ZTSSelectCodeName, 12, 0, "A_ADJ_RSQ", 1242},
        {"fit MINPPE", ZTSSelectCodeName, 70, 0, "MINPPE", 1264},
        {"fit GMAPES", ZTSSelectCodeName, 84, 0, "GMAPES", 1259},
        {"fit MASE", ZTSSelectCodeName, 85, 0, "MASE", 1254},
        {"fit 6", ZTSSelectCodeName, 6, -1, "UNKNOWN", 1299},
    };
    orvtest::moduleHost();
    for (const CodeCase &c : cases) {
        SCOPED_TRACE(c.id);
        ORV_COUNTED_NAME name;
        ORV_COUNTED_LABEL label;
        std::memset(&name, 'x', sizeof name);
        std::memset(&label, 'x', sizeof label);
        EXPECT_EQ(c.function(c.code, &name, &label), c.result);
        EXPECT_EQ(nameOf(name), c.name);
        for (size_t i = size_t(name.length); i < sizeof name.text; ++i) EXPECT_EQ(name.text[i], ' ');
        EXPECT_FALSE(catalogueLabel(c.label).empty());
        EXPECT_EQ(labelOf(label), catalogueLabel(c.label));
        for (size_t i = size_t(label.length); i < sizeof label.text; ++i) ASSERT_EQ(label.text[i], ' ') << i;
        /* Without a label output the name is still written. */
        ORV_COUNTED_NAME again{};
        EXPECT_EQ(c.function(c.code, &again, nullptr), c.result);
        EXPECT_EQ(nameOf(again), c.name);
    }
}

TEST(SeriesNames, FitStatisticTables)
{
    orvtest::moduleHost();
    std::set<int> codes;
    for (const ZtsFitStat &stat : ztsFitStatTable()) {
        SCOPED_TRACE(stat.name);
        /* Labels: 1230 + code up to 65, 1194 + code for 70 to 75, 1175 +
         * code for 80 to 84, and 1254 for MASE. */
        const int rule = stat.code <= 65 ? 1230 + stat.code
                         : stat.code <= 75 ? 1194 + stat.code
                         : stat.code <= 84 ? 1175 + stat.code
                                           : 1254;
        EXPECT_EQ(stat.label, rule);
        EXPECT_FALSE(catalogueLabel(stat.label).empty());
        EXPECT_TRUE(codes.insert(stat.code).second);
        EXPECT_EQ(ZTSSelectNameToCode(stat.name, int(std::strlen(stat.name))), stat.code);
    }
    /* Every binding names a statistic of the code table. */
    for (const ZtsFitBinding &binding : ztsFitStatBindings()) EXPECT_EQ(codes.count(binding.code), 1u) << binding.name;
}

TEST(SeriesNames, NamesGiveCodes)
{
    struct Case {
        const char *name;
        int code;
    };
    const std::vector<Case> accumulations = {
        {"NONE", 0}, {"TOTAL", 1},  {"AVG", 2},     {"AVERAGE", 2}, {"FIRST", 3},  {"MIN", 5},
        {"MAX", 6},  {"MED", 7},    {"STD", 8},     {"USS", 9},     {"CSS", 10},   {"NOBS", 11},
        {"N", 12},   {"NMISS", 13}, {"MEDIAN", -1}, {"MINIMUM", -1}, {"MAXIMUM", -1}, {"LAST", -1},
        {"total", -1}, {"", -1},
    };
    for (const Case &c : accumulations) {
        SCOPED_TRACE(c.name);
        ORV_COUNTED_NAME name;
        name.length = int16_t(std::strlen(c.name));
        std::memset(name.text, ' ', sizeof name.text);
        std::memcpy(name.text, c.name, std::strlen(c.name));
        EXPECT_EQ(ZTSAccNameToCode(&name), c.code);
    }
    EXPECT_EQ(ZTSAccNameToCode(nullptr), -1);

    orvtest::moduleHost();
    const std::vector<Case> statistics = {
        {"MAPE", 43}, {"mape", 43}, {"MAP", -1}, {"MAPEX", -1}, {"aicc", 23}, {"GMASPE", 55},
    };
    for (const Case &c : statistics) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ZTSSelectNameToCode(c.name, int(std::strlen(c.name))), c.code);
    }
    EXPECT_EQ(ZTSSelectNameToCode("MAPE", 0), -1);
    EXPECT_EQ(ZTSSelectNameToCode(nullptr, 4), -1);
}

TEST(SeriesNames, DataSetIdentityUsesFieldsOfTheirOwnSize)
{
    orvtest::SeriesLibrary library;
    library.write("a_rather_long_member_name_of_32c",
                  "x\n1\n", R"({"label": "Quarterly sales of every store in the region", "variables": [{"name": "x", "type": "numeric", "length": 8}]})");
    DATA_SET_OPEN_REQUEST request;
    std::memset(&request, 0, sizeof request);
    std::memset(request.libref, ' ', sizeof request.libref);
    request.libref[0] = 'T';
    const char *member = "a_rather_long_member_name_of_32c";
    std::memcpy(request.member, member, 32);
    request.memberLength = 32;
    void *handle = nullptr;
    ASSERT_EQ(xoopen(&request, &handle), 0) << orvtest::takeLog();

    ZTS_DSINFO info;
    std::memset(&info, 'x', sizeof info);
    EXPECT_EQ(ZTSSetDataSetInfo(&info, static_cast<DATA_SET_HANDLE *>(handle)), 0);
    EXPECT_EQ(info.handle, handle);
    EXPECT_EQ(std::string(info.libref, 8), "T       ");
    EXPECT_EQ(nameOf(info.member), "A_RATHER_LONG_MEMBER_NAME_OF_32C");
    EXPECT_EQ(labelOf(info.label), "Quarterly sales of every store in the region");
    EXPECT_EQ(std::string(info.qualified.text, size_t(info.qualified.length)), "T.A_RATHER_LONG_MEMBER_NAME_OF_32C");

    /* A handle the host does not know: the first failure is returned, and
     * the handle is stored all the same. */
    ZTS_DSINFO stale{};
    int bogus = 0;
    const int status = ZTSSetDataSetInfo(&stale, reinterpret_cast<DATA_SET_HANDLE *>(&bogus));
    EXPECT_LT(status, 0);
    EXPECT_EQ(ZTSSetDataSetInfo(nullptr, static_cast<DATA_SET_HANDLE *>(handle)), 1);
    xoclose(handle);
}

}  // namespace
