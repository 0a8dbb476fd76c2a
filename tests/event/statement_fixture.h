/*
 * statement_fixture.h - parses event statements with a module's grammar
 * inside the test process (the parse fixture with the timing-value
 * callback installed and the host's data-set store over a temporary
 * library T), walks them into an event list and finishes it.
 */
#ifndef ORV_TESTS_EVENT_STATEMENT_FIXTURE_H
#define ORV_TESTS_EVENT_STATEMENT_FIXTURE_H

#include <filesystem>
#include <fstream>
#include <string>

#include "event/event_list.h"
#include "event/event_statements.h"
#include "event/list_finishing.h"
#include "tests/event/event_list_dump.h"
#include "tests/parser/parse_fixture.h"

namespace orvtest {

class EventStatementTest : public ParserTest {
protected:
    void SetUp() override
    {
        ParserTest::SetUp();
        fakeDataSets = false;
        actionCallback = ZTSEVCustom;
        char pattern[] = "/tmp/orv-events-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        std::string error;
        ASSERT_TRUE(moduleHost().dataSets().libraries().assign("T", dir_, error)) << error;
    }
    void TearDown() override
    {
        moduleHost().dataSets().endStep(0);
        takeLog();
        ParserTest::TearDown();
        std::filesystem::remove_all(dir_);
    }

    /* Writes data set T.member (without a sidecar when it is empty). */
    void writeDataSet(const std::string &member, const std::string &csv, const std::string &sidecar)
    {
        std::ofstream(dir_ + "/" + member + ".csv", std::ios::binary) << csv;
        if (!sidecar.empty()) std::ofstream(dir_ + "/" + member + ".meta.json", std::ios::binary) << sidecar;
    }

    /* Parses text (a whole step: procedure statement first) with the
     * module's grammar and walks it into a new list; with finish the list
     * is finished too.  The log written meanwhile goes to log. */
    ZTSEV_LIST *events(bool kivevents, const std::string &text, bool finish = true)
    {
        ParseRun run = kivevents ? this->kivevents(text) : vornak(text);
        EXPECT_EQ(run.status, 0) << run.log;
        ZTSEV_LIST *list = ZTSEVParse(nullptr, nullptr);
        if (finish) ZTSEVCreateEvents(list, nullptr);
        log = takeLog();
        return list;
    }

    std::string log;

private:
    std::string dir_;
};

}  // namespace orvtest

#endif
