/*
 * custom_manager_test.cpp - the custom-interval manager with the host's
 * extension: INTERVALDS entries, registration, the entry of a descriptor,
 * loading once per process, injected failures at every creation and load
 * step, and data sets that cannot be used.
 */
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "interval/custom_manager.h"
#include "interval/custom_options.h"
#include "interval/interval_formats.h"
#include "interval/intnx.h"
#include "platform/custom_intervals.h"
#include "tests/interval/custom_test_support.h"

namespace {

using orvhost::CustomFault;

orvhost::CustomIntervals &extension() { return orvtest::moduleHost().controlBlock().kernel().customIntervals(); }

std::string text(const char *field, int16_t length)
{
    return std::string(field, size_t(length < 0 ? 0 : length > ZINT_CUSTOM_FIELD ? ZINT_CUSTOM_FIELD : length));
}

TEST(CustomManager, IntervalDsEntries)
{
    struct Case {
        const char *id;
        std::string option;
        std::vector<std::string> entries; /* name/libref/member/lengths */
    };
    const std::string long33(33, 'N');
    const std::vector<Case> cases = {
        {"two entries in parentheses", "(A=LIB.MEM, B=MEM2)", {"A/LIB/MEM/1,3,3", "B//MEM2/1,0,4"}},
        {"a blank in place of the equals sign", "A LIB.MEM", {"A/LIB/MEM/1,3,3"}},
        {"a name alone ends the list", "ONLYNAME", {}},
        {"a name without a value", "X=", {}},
        {"a name of 33 characters keeps its length", long33 + "=L.M",
         {std::string(32, 'N') + "/L/M/33,1,1"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        std::vector<std::string> got;
        const char *cursor = nullptr;
        ZINT_CUSTOM_ENTRY entry;
        while (parseIntervalDS(c.option.c_str(), &entry, &cursor) == 0)
            got.push_back(text(entry.name, entry.nameLength) + "/" + text(entry.libref, entry.librefLength) + "/" +
                          text(entry.member, entry.memberLength) + "/" + std::to_string(entry.nameLength) + "," +
                          std::to_string(entry.librefLength) + "," + std::to_string(entry.memberLength));
        EXPECT_EQ(got, c.entries);
        EXPECT_EQ(cursor, nullptr);
    }
}

/* The option read afresh, upper-cased, up to the capacity given. */
TEST(CustomManager, IntervalDsOptionUpToACapacity)
{
    orvtest::useIntervalDs("(a=lib.one b=two c=lib.three)");
    ZINT_CUSTOM_ENTRY entries[2];
    int count = 2, status = -1;
    parseIntervalOptions(entries, &count, &status);
    EXPECT_EQ(status, 0);
    ASSERT_EQ(count, 2);
    EXPECT_EQ(text(entries[0].name, entries[0].nameLength) + text(entries[0].libref, entries[0].librefLength) +
                  text(entries[0].member, entries[0].memberLength),
              "ALIBONE");
    EXPECT_EQ(text(entries[1].member, entries[1].memberLength), "TWO");
}

TEST(CustomManager, RegistrationFromTheOption)
{
    std::string many;
    for (int i = 1; i <= 21; ++i) many += "E" + std::to_string(i) + "=CI.FQEND ";
    struct Case {
        const char *id;
        std::string option;
        const char *name;
        int known;
        const char *logged;
    };
    const std::vector<Case> cases = {
        {"empty option", "", "FISCALQ", 0, ""},
        {"(A=LIB.MEM)", "(A=CI.FQEND)", "A", ZINT_CUSTOM, ""},
        {"a name alone registers nothing", "FISCALQ", "FISCALQ", 0, ""},
        {"lower-case option text", "fiscalq=ci.fqend", "FiscalQ", ZINT_CUSTOM, ""},
        {"the 21st entry", many, "E21", ZINT_CUSTOM, ""},
        {"a name over 32 characters is refused", std::string(33, 'N') + "=CI.FQEND FISCALQ=CI.FQEND", "FISCALQ",
         ZINT_CUSTOM, "The INTERVALDS entry NNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNN is not used"},
        {"a library reference over 8 characters is refused", "FISCALQ=LONGLIBREF.FQEND", "FISCALQ", 0,
         "The INTERVALDS entry FISCALQ is not used"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        orvtest::useIntervalDs(c.option);
        EXPECT_EQ(getcustomname(c.name, int(std::strlen(c.name))), c.known);
        const std::string log = orvtest::takeLog();
        if (*c.logged == '\0')
            EXPECT_EQ(log, "");
        else
            EXPECT_NE(log.find(c.logged), std::string::npos) << log;
        if (c.known == 0) continue;
        /* Known names parse, step and (from the option read afresh) find
         * their data set's format, the 21st entry included. */
        ZINT_DESC desc = orvtest::customDesc(c.name);
        EXPECT_EQ(zintnx3(&desc, 'B', nullptr, 21100, 1), 21124);
        char name[ZINT_FORMAT_NAME_SIZE];
        int16_t length = 0, width = 0, minWidth = 0;
        ASSERT_EQ(zintfmt(&desc, name, &length, &width, &minWidth), 0);
        EXPECT_EQ(std::string(name, size_t(length)) + " " + std::to_string(width) + "/" + std::to_string(minWidth),
                  "DATE 9/9");
    }
}

TEST(CustomManager, EntryOfADescriptor)
{
    orvtest::useIntervalDs("(OTHER=CI.FQBEGIN FISCALQ=CI.FQEND)");
    struct Case {
        const char *name;
        int32_t multiplier, shift;
        int rc;
        const char *entry;
        int32_t wantMultiplier, wantShift;
    };
    const Case cases[] = {
        {"FISCALQ", 1, 0, 0, "FISCALQ", 1, 0},
        {"fiscalq", 1, 0, 0, "FISCALQ", 1, 0},
        {"FISCALQ2", 2, 0, 0, "FISCALQ", 2, 0},
        {"FiscalQ2.2", 2, 1, 0, "FISCALQ", 2, 1},
        {"FISCALQ.1", 1, 0, 0, "FISCALQ", 1, 0},
        {"FISCALQ3", 2, 0, 1, "", -1, -1},
        {"OTHERS", 1, 0, 1, "", -1, -1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ZINT_DESC desc{};
        desc.code = ZINT_CUSTOM;
        desc.multiplier = c.multiplier;
        desc.shift = c.shift;
        std::strcpy(desc.name, c.name);
        desc.nameLength = int16_t(std::strlen(c.name));
        const ZINT_DESC before = desc;
        ZINT_CUSTOM_ENTRY entry;
        int32_t multiplier = 0, shift = 0;
        EXPECT_EQ(getCustomIntervalDSRef(&entry, &desc, &multiplier, &shift), c.rc);
        EXPECT_EQ(text(entry.name, entry.nameLength), c.entry);
        EXPECT_EQ(multiplier, c.wantMultiplier);
        EXPECT_EQ(shift, c.wantShift);
        EXPECT_EQ(std::memcmp(&desc, &before, sizeof desc), 0) << "the descriptor was changed";
    }
}

TEST(CustomManager, LoadsOncePerProcess)
{
    orvtest::useIntervalDs(orvtest::kFiscalIntervals);
    const int64_t loads = extension().loadCount();
    ZINT_SEAS rec{};
    rec.interval = orvtest::customDesc("FISCALQ");
    ZINT_CUSTREF *first = nullptr, *second = nullptr;
    ASSERT_EQ(zcustLoad(&rec, &first), 0);
    ASSERT_EQ(zcustLoad(&rec, &second), 0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    EXPECT_EQ(first->count, 20);
    EXPECT_EQ(extension().loadCount(), loads + 1);
    EXPECT_EQ(zcintcReleaseRef(first), 0);
    EXPECT_EQ(zcintcReleaseRef(second), 0);
    EXPECT_NE(zcintcReleaseRef(second), 0) << "a reference released more often than handed out";
    /* A data set with BEGIN alone has no END or SEASON arrays. */
    rec.interval = orvtest::customDesc("FISCALQN");
    ZINT_CUSTREF *noEnd = nullptr;
    ASSERT_EQ(zcustLoad(&rec, &noEnd), 0);
    EXPECT_EQ(noEnd->end, nullptr);
    EXPECT_NE(noEnd->season, nullptr);
    zcintcReleaseRef(noEnd);
}

/* A name that the registry knows as a stem but whose suffix no entry
 * takes gets no reference; the parser must not release one. */
TEST(CustomManager, NoReferenceIsNotReleased)
{
    orvtest::useIntervalDs("CAL=CI.FQEND");
    ZINT_DESC desc{};
    EXPECT_EQ(zintstr("CAL1.", -1, &desc), 0);
    EXPECT_EQ(desc.code, ZINT_CUSTOM);
    ZINT_SEAS rec{};
    rec.interval = desc;
    ZINT_CUSTREF stale{};
    ZINT_CUSTREF *reference = &stale;
    EXPECT_EQ(zcustLoad(&rec, &reference), 0);
    EXPECT_EQ(reference, nullptr);
}

/* A failure at each step of creating the manager or loading a definition
 * returns its status; the manager is torn down and the next call succeeds
 * with a new one. */
TEST(CustomManager, InjectedFaults)
{
    struct Case {
        const char *id;
        CustomFault fault;
        bool load; /* zcustLoad rather than getcustomname */
        int status;
    };
    const Case cases[] = {
        {"no journal", CustomFault::Journal, false, ZINT_STATUS_NO_MEMORY},
        {"no extension", CustomFault::LoadExtension, false, ZINT_STATUS_NO_MEMORY},
        {"no registry", CustomFault::CreateRegistry, false, ZINT_STATUS_NO_MEMORY},
        {"an entry not registered", CustomFault::Register, false, ZINT_STATUS_CUSTOM_FAILURE},
        {"is-known fails", CustomFault::IsKnown, false, 0},
        {"find fails", CustomFault::Find, true, ZINT_STATUS_CUSTOM_FAILURE},
        {"the load fails", CustomFault::Load, true, ZINT_STATUS_NO_MEMORY},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        orvtest::useIntervalDs(orvtest::kFiscalIntervals);
        ZINT_SEAS rec{};
        rec.interval.code = ZINT_CUSTOM;
        rec.interval.multiplier = 1;
        std::strcpy(rec.interval.name, "FISCALQ");
        rec.interval.nameLength = 7;
        if (c.load) {
            ASSERT_EQ(getcustomname("FISCALQ", 7), ZINT_CUSTOM);
        }
        extension().failNext(c.fault);
        ZINT_CUSTREF *reference = nullptr;
        const int first = c.load ? zcustLoad(&rec, &reference) : getcustomname("FISCALQ", 7);
        EXPECT_EQ(first, c.status);
        EXPECT_EQ(reference, nullptr);
        orvtest::takeLog();
        const int second = c.load ? zcustLoad(&rec, &reference) : getcustomname("FISCALQ", 7);
        EXPECT_EQ(second, c.load ? 0 : ZINT_CUSTOM);
        if (reference != nullptr) zcintcReleaseRef(reference);
        /* One journal, extension and registry: nothing of the failed
         * attempt is left. */
        EXPECT_EQ(extension().liveObjects(), 3u);
    }
    orvtest::moduleHost().resources().removeAll();
    EXPECT_EQ(extension().liveObjects(), 0u);
}

/* When the definition cannot be loaded, the operations log the status and
 * read the data set themselves, with the same answers. */
TEST(CustomManager, OperationsReadTheDataSetWhenTheLoadFails)
{
    orvtest::useIntervalDs(orvtest::kFiscalIntervals);
    ZINT_DESC desc{};
    desc.kind = 'd';
    desc.code = ZINT_CUSTOM;
    desc.multiplier = 1;
    std::strcpy(desc.name, "FISCALQ");
    desc.nameLength = 7;
    extension().failNext(CustomFault::Load);
    EXPECT_EQ(zintnx3(&desc, 'E', nullptr, 21100, 1), 21215);
    EXPECT_EQ(orvtest::takeLog(), "ERROR: The custom-interval services ran out of memory.\n");
    EXPECT_EQ(zintnx3(&desc, 'E', nullptr, 21100, 1), 21215);
    EXPECT_EQ(orvtest::takeLog(), "");
}

TEST(CustomManager, DataSetsThatCannotBeUsed)
{
    struct Case {
        const char *id;
        const char *option;
        const char *logged;
    };
    const Case cases[] = {
        {"no BEGIN", "BAD=CI.NOBEGIN",
         "ERROR: The custom-interval data set CI.NOBEGIN cannot be used: it has no variable BEGIN.\n"},
        {"no observations", "BAD=CI.NOOBS", "The custom-interval data set has no observations."},
        {"a character BEGIN", "BAD=CI.CHARBEGIN",
         "The custom-interval data set CI.CHARBEGIN cannot be used: its variable BEGIN is not numeric."},
        {"a character SEASON", "BAD=CI.CHARSEASON",
         "The custom-interval data set CI.CHARSEASON cannot be used: its variable SEASON is not numeric."},
        {"a SEASON that is not whole", "BAD=CI.BADSEASON",
         "CI.BADSEASON cannot be used: its row 2 has the SEASON value 2.5, which is not a whole number"},
        {"a SEASON of 0", "BAD=CI.SEASONZERO", "its row 2 has the SEASON value 0, which is not a whole number"},
        {"a negative SEASON", "BAD=CI.SEASONNEGATIVE",
         "its row 2 has the SEASON value -3, which is not a whole number"},
        {"a repeated BEGIN", "BAD=CI.REPEATED",
         "The custom-interval data set CI.REPEATED cannot be used: its row 3 repeats the BEGIN of row 2.\n"},
        {"BEGINs out of order", "BAD=CI.UNSORTED", "CI.UNSORTED cannot be used: its row 3 begins before row 2;"},
        {"overlapping periods", "BAD=CI.OVERLAP", "CI.OVERLAP cannot be used: its row 3 begins before row 2 ends;"},
        {"END before BEGIN", "BAD=CI.ENDBEFORE", "CI.ENDBEFORE cannot be used: its row 2 ends before it begins.\n"},
        {"a row without BEGIN", "BAD=CI.NOBEGINVALUE", "CI.NOBEGINVALUE cannot be used: its row 2 has no BEGIN value."},
        {"a row without END", "BAD=CI.NOENDVALUE", "CI.NOENDVALUE cannot be used: its row 2 has no END value."},
        {"no such data set", "BAD=CI.NOSUCH", "The data set CI.NOSUCH does not exist"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        orvtest::useIntervalDs(std::string(c.option) + " FISCALQ=CI.FQEND");
        ZINT_DESC desc{};
        EXPECT_EQ(zintstr("BAD", -1, &desc), ZINTSTR_CUSTOM_LOAD);
        const std::string log = orvtest::takeLog();
        /* Reported once. */
        const size_t at = log.find(c.logged);
        EXPECT_NE(at, std::string::npos) << log;
        EXPECT_EQ(log.find(c.logged, at + 1), std::string::npos) << log;
        EXPECT_EQ(zintstr("FISCALQ", -1, &desc), 0) << orvtest::takeLog();
    }
}

}  // namespace
