/*
 * datekey_input_test.cpp - the EVENTDS option text, LOCALE= against a
 * list's locale, the keyword columns of event data-set rows, the values and
 * names with which such a row is left out, and the summary column name of
 * a dummy output, each over a case table; values worked out by hand.
 */
#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <string>
#include <vector>

#include "event/datekey_statements.h"
#include "event/event_data_checks.h"
#include "event/event_data_columns.h"
#include "event/event_data_read.h"
#include "event/event_data_rows.h"
#include "event/event_datasets.h"
#include "event/event_list.h"
#include "event/eventds_option.h"
#include "event/statement_options.h"
#include "host/missing_values.h"
#include "host/services.h"
#include "tests/support/module_host.h"

namespace {

void (*body)() = nullptr;
void runBody() { body(); xexit(0, 0); }
int inStep(void (*f)())
{
    body = f;
    return orvtest::moduleHost().runStep(runBody);
}

/* The items of an option text as "result:item" words. */
std::string itemsOf(const std::string &option)
{
    std::string copy = option;
    char *text = copy.data();
    int length = int(copy.size());
    std::string out;
    for (int start = 0, s = 0, e = 0;; start = e + 1) {
        const int item = ZTSDKEventdsOptParsNextItem(&text, &length, start, &s, &e);
        if (item < 0) break;
        out += std::to_string(item) + ":" + copy.substr(size_t(s), size_t(e - s + 1)) + " ";
    }
    return out;
}

TEST(EventdsOption, ItemsOfTheOptionText)
{
    struct Case {
        const char *id;
        const char *text;
        const char *items;
        int noDefaults;
    };
    const Case cases[] = {
        {"e1 parentheses", "(NODEFAULTS WORK.KEYS)", "1:NODEFAULTS 2:WORK.KEYS ", 1},
        {"e2 blanks around", "(  DEFAULTS   lib.a  b )", "0:DEFAULTS 2:lib.a 2:b ", 0},
        {"e3 empty", "()", "", 0},
        {"e4 one character", "(", "", 0},
        {"e5 word inside a name", "(NODEFAULTSX)", "2:NODEFAULTSX ", 0},
        {"e6 last item", "(a NODEFAULTS)", "2:a 1:NODEFAULTS ", 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(itemsOf(c.text), c.items);
        std::string copy = c.text;
        char *text = copy.data();
        int length = int(copy.size());
        EXPECT_EQ(ZTSDKEventdsNoDefaultOpt(&text, &length), c.noDefaults);
    }
}

/* A reference too long for its field is refused with (883, 606), never
 * copied past the field. */
TEST(EventdsOption, ReferencesLongerThanTheirFields)
{
    struct Case {
        const char *id;
        const char *item;
        int parsed;   /* ZTSDKEventdsOptParsFileref */
        const char *member;
        const char *log;
    };
    const std::string longMember(40, 'M');
    const std::string longLibref(33, 'L');
    static std::vector<std::string> items;
    items = {"WORK.KEYS", "keys", "ABCDEFGHIJ.KEYS", "A." + longMember, longLibref + ".K"};
    const Case cases[] = {
        {"f1 libref and member", items[0].c_str(), 0, "KEYS", ""},
        {"f2 member alone", items[1].c_str(), 0, "keys", ""},
        {"f3 libref over 8", items[2].c_str(), 0, "KEYS",
         "ERROR: The EVENTDS item ABCDEFGHIJ.KEYS has a library reference that is too long; it is not used.\n"},
        {"f4 member over 32", items[3].c_str(), -1, "",
         "ERROR: The EVENTDS item A.MMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMM has a member name that is too long; it is "
         "not used.\n"},
        {"f5 libref over 32", items[4].c_str(), -1, "",
         "ERROR: The EVENTDS item LLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLL.K has a library reference that is too long; it is "
         "not used.\n"},
    };
    static const Case *current = nullptr;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        current = &c;
        orvtest::takeLog();
        inStep([] {
            const Case &k = *current;
            const int end = int(std::strlen(k.item)) - 1;
            ORV_COUNTED_NAME libref{}, member{};
            EXPECT_EQ(ZTSDKEventdsOptParsFileref(k.item, 0, end, &libref, &member), k.parsed);
            if (k.parsed == 0) {
                EXPECT_EQ(std::string(member.text, size_t(member.length)), k.member);
            }
            orvtest::takeLog();
            DATA_SET_HANDLE *handle = nullptr;
            const int opened = ZTSDKEventdsOptGetFileID(k.item, 0, end, &handle);
            if (k.log[0] != '\0') {
                EXPECT_EQ(opened, -1);
                EXPECT_EQ(handle, nullptr);
                EXPECT_EQ(orvtest::takeLog(), k.log);
            }
        });
    }
}

/* LOCALE= of a date-key statement against the list's locale. */
TEST(DatekeyStatements, LocaleAgainstTheListLocale)
{
    struct Case {
        const char *id;
        const char *listLocale; /* null: none given */
        const char *locale;     /* null: LOCALE= not given */
        int result;
    };
    static const Case cases[] = {
        {"l1 not given", "en_US", nullptr, 0},
        {"l2 a dot", "en_US", ".", 1},
        {"l3 list has none", nullptr, "fr_FR", 3},
        {"l4 same", "en_US", "en_US", 3},
        {"l5 other", "en_US", "fr_FR", 2},
        {"l6 other length", "en", "en_US", 2},
        {"l7 list locale a dot", ".", "fr_FR", 3},
    };
    static const Case *current = nullptr;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        current = &c;
        inStep([] {
            const Case &k = *current;
            ZTSEV_LIST list{};
            if (k.listLocale != nullptr) {
                list.localeGiven = 1;
                list.locale.length = int16_t(std::strlen(k.listLocale));
                std::memset(list.locale.text, ' ', sizeof list.locale.text);
                std::memcpy(list.locale.text, k.listLocale, std::strlen(k.listLocale));
            }
            OPTION_SLOT slot{};
            if (k.locale != nullptr) {
                slot.given = 1;
                slot.type = ORV_SLOT_TEXT;
                slot.value.count = int(std::strlen(k.locale));
                slot.items = const_cast<char *>(k.locale);
            }
            ORV_COUNTED_NAME out{};
            EXPECT_EQ(ZTSEVGetLocaleFld(slot, &out, &list), k.result);
        });
    }
}

/* The keyword columns of a row as the reader decodes them. */
TEST(EventDataRead, KeywordColumns)
{
    struct Case {
        const char *id;
        const char *cls;
        int classCode;
        const char *type;
        double typeCode;  /* 0: not given */
        const char *rule;
        double ruleCode;  /* 0: not given */
    };
    const Case cases[] = {
        {"k1 simple point add", "  simple", 1, "point", 1, "add", 1},
        {"k2 dot", ".", 0, ".", 0, ".", 0},
        {"k3 blank", "", 0, "", 0, "", 0},
        {"k4 temp ramp", "DATEKEY", 7, "TEMPRAMP", 4, "OR", 8},
        {"k5 unknown", "MIXED", -1, "SPIKE", 0, "SUM", 0},
        {"k6 predefcomp log minmag", "predefcomp", 6, "log", 10, "minmag", 5},
        {"k7 the statements' short type words", "SIMPLE", 1, "lin", 6, "mult", 6},
        {"k8 inv", ".", 0, "INV", 9, "and", 7},
        {"k9 logarithmic", ".", 0, "LOGARITHMIC", 10, "MINNZ", 4},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        ZTSEV_ROWBUF row{};
        ZTSEVInitBuf(&row);
        auto set = [](ORV_COUNTED_NAME &field, const char *text) {
            std::memset(field.text, ' ', sizeof field.text);
            std::memcpy(field.text, text, std::strlen(text));
            field.length = int16_t(sizeof field.text);
        };
        set(row.cls, c.cls);
        set(row.type, c.type);
        set(row.rule, c.rule);
        ZTSEVLeftJustBuf(&row);
        EXPECT_EQ(ZTSEVId_CLASS_(&row), c.classCode);
        const double type = ZTSEVTypeStr2Flag(row.type.text, row.type.length);
        const double rule = ZTSEVId_RULE_(&row);
        EXPECT_EQ(orvIsMissing(type) ? 0.0 : type, c.typeCode);
        EXPECT_EQ(orvIsMissing(rule) ? 0.0 : rule, c.ruleCode);
    }
}

/* Durations of a row: missing (ordinary or special) is ALL (-1), others
 * stay (a negative one is refused by the checks below). */
TEST(EventDataRead, DurationsOfARow)
{
    struct Case {
        const char *id;
        double after;
        double expected; /* NaN: not given */
    };
    const double special = std::bit_cast<double>(orvLetterMissingBits(0));
    const Case cases[] = {
        {"d1 ordinary missing", orvMissing(), -1},
        {"d2 special missing .A", special, -1},
        {"d4 zero", 0, 0},
        {"d5 three", 3, 3},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        ZTSEV_ROWBUF row{};
        ZTSEVInitBuf(&row);
        row.durationAfter = c.after;
        const ZTSEV_QUAL q = ztsevRowQualifiers(&row);
        EXPECT_EQ(orvIsMissing(q.durationAfter), orvIsMissing(c.expected));
        if (!orvIsMissing(c.expected)) {
            EXPECT_EQ(q.durationAfter, c.expected);
        }
        EXPECT_EQ(q.durationBefore, 0);
    }
}

/* The column of a row whose value no event statement could give: each case
 * sets one column of the initial row; refused: that column is named, else
 * the row is read (-1).  The golden job vornak_event_data_checks has the
 * plain refusals and the names that are no variable names; these are the
 * edges. */
TEST(EventDataChecks, ValuesNoStatementGives)
{
    struct Case {
        const char *id;
        int column;
        const char *text; /* null: a number column */
        double number;
        bool refused;
    };
    const double special = std::bit_cast<double>(orvLetterMissingBits(0));
    const Case cases[] = {
        {"v1 month", ZTSEV_COL_DATEINTRVL, "month", 0, false},
        {"v2 dthour", ZTSEV_COL_DTINTRVL, "DTHOUR", 0, false},
        {"v3 no datetime interval", ZTSEV_COL_DTINTRVL, "FORTNIGHT", 0, true},
        {"v4 type lin", ZTSEV_COL_TYPE, "lin", 0, false},
        {"v5 rule or", ZTSEV_COL_RULE, "OR", 0, false},
        {"v6 slope before decay", ZTSEV_COL_SLOPE_BEF, "DECAY", 0, false},
        {"v7 shift 32767", ZTSEV_COL_SHIFT, nullptr, 32767, false},
        {"v8 shift -32767", ZTSEV_COL_SHIFT, nullptr, -32767, false},
        {"v9 shift 2.5", ZTSEV_COL_SHIFT, nullptr, 2.5, true},
        {"v10 duration before 0", ZTSEV_COL_DUR_BEFORE, nullptr, 0, false},
        {"v11 duration before -2", ZTSEV_COL_DUR_BEFORE, nullptr, -2, true},
        {"v12 duration after 32767", ZTSEV_COL_DUR_AFTER, nullptr, 32767, false},
        {"v13 duration after 1e9", ZTSEV_COL_DUR_AFTER, nullptr, 1e9, true},
        {"v14 duration after .A (ALL)", ZTSEV_COL_DUR_AFTER, nullptr, special, false},
        {"v15 value 2^53", ZTSEV_COL_VALUE, nullptr, 9007199254740992.0, false},
        {"v16 value -2^53", ZTSEV_COL_VALUE, nullptr, -9007199254740992.0, false},
        {"v17 value 2^53 + 2", ZTSEV_COL_VALUE, nullptr, 9007199254740994.0, true},
        {"v18 value -1e308", ZTSEV_COL_VALUE, nullptr, -1e308, true},
        {"v19 value missing", ZTSEV_COL_VALUE, nullptr, orvMissing(), false},
        {"v20 TC parameter -5, as TCPARM=-5", ZTSEV_COL_TCPARM, nullptr, -5, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        ZTSEV_ROWBUF row{};
        ZTSEVInitBuf(&row);
        auto *field = reinterpret_cast<uint8_t *>(&row) + ztsevColumns()[size_t(c.column)].offset;
        if (c.text != nullptr) {
            auto *text = reinterpret_cast<ORV_COUNTED_NAME *>(field);
            std::memset(text->text, ' ', sizeof text->text);
            std::memcpy(text->text, c.text, std::strlen(c.text));
        } else {
            std::memcpy(field, &c.number, sizeof c.number);
        }
        ZTSEVLeftJustBuf(&row);
        EXPECT_EQ(ztsevRefusedColumn(&row), c.refused ? c.column : -1);
    }
}

/* A SUMMARY= name longer than its 32-character field is refused with a
 * message and the default name is used. */
TEST(EventDatasets, SummaryNameLongerThanItsField)
{
    struct Case {
        const char *id;
        const char *name;
        const char *column;
        bool message;
    };
    static const Case cases[] = {
        {"s1 given", "total", "total", false},
        {"s2 32 characters", "abcdefghijabcdefghijabcdefghij12", "abcdefghijabcdefghijabcdefghij12", false},
        {"s3 33 characters", "abcdefghijabcdefghijabcdefghij123", "_SUMMARY_", true},
    };
    static const Case *current = nullptr;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        current = &c;
        orvtest::takeLog();
        inStep([] {
            const Case &k = *current;
            auto *pool = static_cast<MEMORY_OBJECT *>(xmpoolc(0, 1024, 6));
            ZTSEV_LIST *list = ZTSEVNewEventList(pool);
            OPTION_SLOT slots[ZTSEV_STATEMENT_SLOTS] = {};
            slots[ZTSEV_SLOT_SUMMARY].given = 1;
            slots[ZTSEV_SLOT_SUMMARY].type = ORV_SLOT_TEXT;
            slots[ZTSEV_SLOT_SUMMARY].value.count = int(std::strlen(k.name));
            slots[ZTSEV_SLOT_SUMMARY].items = const_cast<char *>(k.name);
            orvtest::takeLog();
            ZTSEVGetOutputDsn(list, slots, 0x20, 2, pool);
            ASSERT_NE(list->dummyOutputs, nullptr);
            const ORV_COUNTED_NAME &name = list->dummyOutputs->summaryName;
            EXPECT_EQ(std::string(name.text, size_t(name.length)), k.column);
            EXPECT_EQ(orvtest::takeLog().find("longer than 32 characters") != std::string::npos, k.message);
        });
    }
}

}  // namespace
