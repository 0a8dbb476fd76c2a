/*
 * parse_result_test.cpp - the parse result of the procedure statements of
 * both modules, read byte for byte the way the option reader reads it:
 * option bits at 0x28, 24-byte slots with the given byte first and the
 * value 8 bytes later.  Expected values are worked out by hand (dates as
 * days since 1 January 1960).
 */
#include <cstring>

#include "interval/interval_desc.h"
#include "platform/formats.h"
#include "tests/parser/parse_fixture.h"

namespace {

using orvtest::ParseRun;

std::vector<std::string> namesOf(const NAME_LIST_BLOCK *block)
{
    std::vector<std::string> names;
    int64_t index = 0;
    for (; block != nullptr; block = block->next)
        for (const uint8_t *p = block->names; index <= block->lastIndex; ++index, p += p[0] + 1)
            names.emplace_back(reinterpret_cast<const char *>(p + 1), p[0]);
    return names;
}

double slotNumber(const ParseRun &run, int k)
{
    double value;
    std::memcpy(&value, reinterpret_cast<const char *>(run.procedure()->options) + 24 * k + 8, 8);
    return value;
}

class ProcedureStatement : public orvtest::ParserTest {};

TEST_F(ProcedureStatement, OptionBitsOfEveryFlagKeyword)
{
    struct Case {
        const char *id;
        bool kivevents;
        const char *text;
        uint8_t bytes[7]; /* 0x28 .. 0x2E */
    };
    const Case cases[] = {
        {"none", false, "VORNAK;", {0, 0, 0, 0, 0, 0, 0}},
        {"NOOUTALL bit 1", false, "VORNAK NOOUTALL;", {0x40, 0, 0, 0, 0, 0, 0}},
        {"SORTNAMES bit 2", false, "vornak sortnames;", {0x20, 0, 0, 0, 0, 0, 0}},
        {"NODEFAULTS bit 5", false, "VORNAK NODEFAULTS;", {0x04, 0, 0, 0, 0, 0, 0}},
        {"PRINT=ALL bit 10", false, "VORNAK PRINT=ALL;", {0, 0x20, 0, 0, 0, 0, 0}},
        {"PRINT=SUMMARY bit 14", false, "VORNAK PRINT=SUMMARY;", {0, 0x02, 0, 0, 0, 0, 0}},
        {"PRINT=PERFORMANCE bit 17", false, "VORNAK PRINT=PERFORMANCE;", {0, 0, 0x40, 0, 0, 0, 0}},
        {"PRINTDETAILS bit 18", false, "VORNAK PRINTDETAILS;", {0, 0, 0x20, 0, 0, 0, 0}},
        {"DEBUG bit 19", false, "VORNAK DEBUG;", {0, 0, 0x10, 0, 0, 0, 0}},
        {"DEBUGD bits 19 20", false, "VORNAK DEBUGD;", {0, 0, 0x18, 0, 0, 0, 0}},
        {"DEBUGX bits 19 20 21", false, "VORNAK DEBUGX;", {0, 0, 0x1C, 0, 0, 0, 0}},
        {"PRINT=INTERNAL bit 29", false, "VORNAK PRINT=INTERNAL;", {0, 0, 0, 0x04, 0, 0, 0}},
        {"PLOT=ALL bit 30", false, "VORNAK PLOT=ALL;", {0, 0, 0, 0x02, 0, 0, 0}},
        {"PLOT=(ALL) bit 30", false, "VORNAK PLOT=(ALL);", {0, 0, 0, 0x02, 0, 0, 0}},
        {"PRINT list with and without commas", false,
         "VORNAK PRINT=(ALL SUMMARY, PERFORMANCE INTERNAL);", {0, 0x22, 0x40, 0x04, 0, 0, 0}},
        {"all at once", false,
         "VORNAK NOOUTALL SORTNAMES NODEFAULTS PRINTDETAILS DEBUGX PRINT=(ALL,SUMMARY) PLOT=ALL;",
         {0x64, 0x22, 0x3C, 0x02, 0, 0, 0}},
        {"KIVEVENTS SORTNAMES DEBUGD", true, "KIVEVENTS SORTNAMES DEBUGD;",
         {0x20, 0, 0x18, 0, 0, 0, 0}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        ParseRun run = c.kivevents ? kivevents(c.text) : vornak(c.text);
        ASSERT_EQ(run.status, 0) << run.log;
        for (size_t i = 0; i < 7; ++i) EXPECT_EQ(run.recordByte(0x28 + i), c.bytes[i]) << "byte " << i;
        TearDown();
    }
}

TEST_F(ProcedureStatement, IntegerOptionsAndDataSet)
{
    data.add("WORK.SALES", {"DATE", "SALES"});
    data.add("EX.SALES", {"DATE", "SALES"});
    struct Case {
        const char *id;
        bool kivevents;
        const char *text;
        int slot;
        double value;
    };
    const Case cases[] = {
        {"SEASONALITY", false, "VORNAK SEASONALITY=12;", 6, 12},
        {"SEASONALITY upper bound", false, "VORNAK SEASONALITY=10000;", 6, 10000},
        {"LEAD", false, "VORNAK LEAD=100000001;", 7, 100000001},
        {"LEAD 0", false, "VORNAK LEAD = 0 ;", 7, 0},
        {"STARTSUM", false, "VORNAK STARTSUM=5;", 8, 5},
        {"BACK", false, "VORNAK BACK=10000;", 24, 10000},
        {"MAXERROR", false, "VORNAK MAXERROR=0;", 25, 0},
        {"KIVEVENTS LEAD", true, "KIVEVENTS LEAD=3;", 7, 3},
        {"KIVEVENTS BACK", true, "KIVEVENTS BACK=4;", 24, 4},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        ParseRun run = c.kivevents ? kivevents(c.text) : vornak(c.text);
        ASSERT_EQ(run.status, 0) << run.log;
        EXPECT_EQ(run.slot(c.slot).given, 1);
        EXPECT_EQ(slotNumber(run, c.slot), c.value);
        TearDown();
    }
    ParseRun run = vornak("VORNAK DATA=ex.sales;");
    ASSERT_EQ(run.status, 0) << run.log;
    /* the option-values record hangs at 0x50 of the statement record */
    EXPECT_EQ(*reinterpret_cast<OPTION_SLOT *const *>(
                  reinterpret_cast<const char *>(run.procedure()) + 0x50),
              run.procedure()->options);
    const OPTION_SLOT &dataSlot = run.slot(1);
    EXPECT_EQ(dataSlot.given, 1);
    EXPECT_NE(dataSlot.value.pointer, nullptr);
    EXPECT_EQ(std::memcmp(run.procedure()->name, "VORNAK  ", 8), 0);
    EXPECT_EQ(run.procedure()->next, nullptr);
}

TEST_F(ProcedureStatement, IdStatementFillsTheProcedureSlots)
{
    data.add("WORK.S", {"SALES", "DATE"});
    struct Case {
        const char *id;
        const char *options;
        int slot;
        double value; /* slot value as a double, or the character */
    };
    const Case cases[] = {
        {"ALIGN=MIDDLE", "ALIGN=MIDDLE", 5, 'M'},
        {"ALIGN=M", "ALIGN=M", 5, 'M'},
        {"ALIGN=BEGINNING", "ALIGN=BEGINNING", 5, 'B'},
        {"ALIGN=BEG", "align=beg", 5, 'B'},
        {"ALIGN=B", "ALIGN=B", 5, 'B'},
        {"ALIGN=END", "ALIGN=END", 5, 'E'},
        {"ALIGN=ENDING", "ALIGN=ENDING", 5, 'E'},
        {"ALIGN=E", "ALIGN=E", 5, 'E'},
        {"SETMISSING=MISSING", "SETMISSING=MISSING", 10, 0},
        {"SETMISSING=SKIP", "SETMISSING=SKIP", 10, 11},
        {"SETMISS=S", "SETMISS=S", 10, 11},
        {"SETMISSING number", "SETMISSING=-2.5", 15, -2.5},
        {"SETMISSING date", "SETMISSING='01JAN2020'd", 15, 21915},
        {"ZEROMISS=NONE", "ZEROMISS=NONE", 26, 0},
        {"ZEROMISS=LEFT", "ZEROMISS=LEFT", 26, 1},
        {"ZEROMISS=RIGHT", "ZEROMISS=RIGHT", 26, 2},
        {"ZEROMISS=BOTH", "ZEROMISS=BOTH", 26, 3},
        {"START date", "START='01JAN2020'd", 18, 21915},
        {"START time", "START='10:30't", 19, 37800},
        {"START datetime", "START='31DEC2020:23:59:59'dt", 20, 1925078399},
        {"END date", "END='01mar2021'D", 21, 22340},
        {"END time", "END='10:30:00'T", 22, 37800},
        {"END datetime", "END='31dec2020:23:59:59'DT", 23, 1925078399},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        ParseRun run = vornak(std::string("VORNAK DATA=s; ID date INTERVAL=MONTH ") + c.options + ";");
        ASSERT_EQ(run.status, 0) << run.log;
        const OPTION_SLOT &slot = run.slot(c.slot);
        EXPECT_EQ(slot.given, 1);
        if (c.slot == 5)
            EXPECT_EQ(reinterpret_cast<const char *>(run.procedure()->options)[0x80], char(c.value));
        else
            EXPECT_EQ(slotNumber(run, c.slot), c.value);
        /* the time-ID variable: slot 3, its number behind the word at 0x58 */
        const int32_t *number = *reinterpret_cast<int32_t *const *>(
            reinterpret_cast<const char *>(run.procedure()->options) + 0x58);
        ASSERT_NE(number, nullptr);
        EXPECT_EQ(*number, 2);
        TearDown();
    }
}

TEST_F(ProcedureStatement, IntervalAndFormat)
{
    ParseRun run = vornak("VORNAK; ID date INTERVAL=QTR.2 FORMAT=DATE9.;");
    ASSERT_EQ(run.status, 0) << run.log;
    const auto *interval = static_cast<const ZINT_DESC *>(run.slot(4).value.pointer);
    ASSERT_NE(interval, nullptr);
    EXPECT_EQ(interval->code, ZINT_QTR);
    EXPECT_EQ(interval->shift, 1); /* QTR.2: written shift minus one */
    EXPECT_EQ(interval->kind, 'd');
    const auto *format = *reinterpret_cast<FORMAT_RECORD *const *>(
        reinterpret_cast<const char *>(run.procedure()->options) + 0x460);
    ASSERT_NE(format, nullptr);
    EXPECT_EQ(format->width, 9);
    EXPECT_EQ(format->identifier, orvhost::kFormatDate);
    /* without DATA= the ID variable stays unresolved, by name */
    EXPECT_EQ(run.slot(3).items, nullptr);
    EXPECT_EQ(namesOf(static_cast<const NAME_LIST_BLOCK *>(run.slot(3).value.pointer)),
              std::vector<std::string>{"DATE"});
    TearDown();

    run = vornak("VORNAK; ID t INTERVAL=DTHOUR;");
    ASSERT_EQ(run.status, 0) << run.log;
    interval = static_cast<const ZINT_DESC *>(run.slot(4).value.pointer);
    EXPECT_EQ(interval->code, ZINT_HOUR);
    EXPECT_EQ(interval->kind, 's');
}

TEST_F(ProcedureStatement, VariableLists)
{
    struct Case {
        const char *id;
        const char *text;
        std::vector<std::string> items;
    };
    const Case cases[] = {
        {"names", "VAR a b c;", {"A", "B", "C"}},
        {"VARIABLES", "VARIABLES x;", {"X"}},
        {"one hyphen", "VAR x1-x5;", {"X1-X5"}},
        {"two hyphens", "VAR a--d;", {"A--D"}},
        {"NUMERIC range", "VAR a-numeric-d;", {"A-NUMERIC-D"}},
        {"CHARACTER range", "VAR a-CHARACTER-d;", {"A-CHARACTER-D"}},
        {"CHAR range", "VAR a-char-d;", {"A-CHARACTER-D"}},
        {"prefix", "VAR sales:;", {"SALES:"}},
        {"special lists", "VAR _NUMERIC_ _CHARACTER_ _CHAR_ _ALL_;",
         {"_NUMERIC_", "_CHARACTER_", "_CHARACTER_", "_ALL_"}},
        {"keywords as names", "VAR christmas linear id var;", {"CHRISTMAS", "LINEAR", "ID", "VAR"}},
        {"two VAR statements add up", "VAR a; VAR b c;", {"A", "B", "C"}},
        {"empty", "VAR;", {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        ParseRun run = vornak(std::string("VORNAK; ") + c.text);
        ASSERT_EQ(run.status, 0) << run.log;
        const OPTION_SLOT &var = run.slot(2);
        EXPECT_NE(var.given, 0);
        EXPECT_EQ(var.type, ORV_SLOT_VARIABLE_SPEC);
        EXPECT_EQ(var.value.count, int(c.items.size()));
        EXPECT_EQ(namesOf(static_cast<const NAME_LIST_BLOCK *>(var.items)), c.items);
        TearDown();
    }
}

TEST_F(ProcedureStatement, ByListResolvedAgainstTheDataSet)
{
    data.add("WORK.SALES", {"REGION", "DATE", "STORE", "AMOUNT"});
    struct Case {
        const char *id;
        const char *by;
        std::vector<int32_t> numbers;
        std::vector<int> signedNumbers;
        bool notSorted;
    };
    const Case cases[] = {
        {"plain", "BY region store;", {1, 3}, {1, 3}, false},
        {"descending", "BY DESCENDING store region;", {3, 1}, {-3, 1}, false},
        {"notsorted", "by region notsorted;", {1}, {1}, true},
        {"second BY replaces the first", "BY store; BY date;", {2}, {2}, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        data.byCalls = 0;
        ParseRun run = vornak(std::string("VORNAK DATA=sales; ") + c.by);
        ASSERT_EQ(run.status, 0) << run.log;
        const OPTION_SLOT &by = run.slot(0);
        ASSERT_EQ(by.value.count, int(c.numbers.size()));
        const auto *numbers = static_cast<const int32_t *>(by.items);
        EXPECT_EQ(std::vector<int32_t>(numbers, numbers + by.value.count), c.numbers);
        EXPECT_EQ(data.byCalls, 1);
        EXPECT_EQ(data.byList, c.signedNumbers);
        EXPECT_EQ(data.byNotSorted, c.notSorted);
        TearDown();
    }
}

TEST_F(ProcedureStatement, SubStatementsMakeNoNodesAndNamesStayNames)
{
    ParseRun run = vornak("VORNAK LEAD=2;\n  ID d INTERVAL=DAY;\n  VAR x;\n  BY g;\n");
    ASSERT_EQ(run.status, 0) << run.log;
    EXPECT_EQ(run.procedure()->next, nullptr);
    EXPECT_EQ(run.procedure()->line, 1);
    EXPECT_EQ(run.procedure()->column, 1);
    /* no DATA=: the BY list stays a list of names */
    EXPECT_EQ(run.slot(0).type, ORV_SLOT_NAMES);
    EXPECT_EQ(namesOf(static_cast<const NAME_LIST_BLOCK *>(run.slot(0).items)),
              std::vector<std::string>{"G"});
    /* slots never given keep their given byte 0 */
    for (int k : {6, 8, 9, 15, 24, 25, 46}) EXPECT_EQ(run.slot(k).given, 0) << "slot " << k;
}

}  // namespace
