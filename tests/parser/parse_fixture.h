/*
 * parse_fixture.h - runs the modules' start-up and parse (xinit, the grammar
 * block, xsparse) over statement text inside the test process, with data
 * sets made up in memory.
 */
#ifndef ORV_TESTS_PARSER_PARSE_FIXTURE_H
#define ORV_TESTS_PARSER_PARSE_FIXTURE_H

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "eventproc/kivevg.h"
#include "host/parser_glue.h"
#include "platform/parser/parse_environment.h"
#include "platform/step.h"
#include "procdriver/datekg.h"
#include "tests/support/module_host.h"

namespace orvtest {

/* Data sets that exist only in the test: name (upper case, WORK.X for X)
 * and variable names; variable numbers count from 1. */
class FakeDataSets {
public:
    void add(const std::string &name, std::vector<std::string> variables)
    {
        variables_[name] = std::move(variables);
    }

    void install(orvhost::ParseEnvironment &environment)
    {
        environment.openDataSet = [this](std::string_view libref, std::string_view member, int,
                                          std::string &error) -> DATA_SET_HANDLE * {
            std::string name = upper(std::string(libref.empty() ? "WORK" : libref)) + "." +
                               upper(std::string(member));
            if (!variables_.count(name)) {
                error = "The data set " + name + " does not exist.";
                return nullptr;
            }
            handles_.emplace_back(std::make_unique<DATA_SET_HANDLE>());
            names_[handles_.back().get()] = name;
            return handles_.back().get();
        };
        environment.findVariable = [this](DATA_SET_HANDLE *handle, std::string_view name) {
            const std::vector<std::string> &list = variables_.at(names_.at(handle));
            for (size_t i = 0; i < list.size(); ++i)
                if (upper(list[i]) == upper(std::string(name))) return int(i) + 1;
            return 0;
        };
        environment.variableName = [this](DATA_SET_HANDLE *handle, int number) {
            return variables_.at(names_.at(handle)).at(size_t(number - 1));
        };
        environment.dataSetName = [this](DATA_SET_HANDLE *handle) { return names_.at(handle); };
        environment.setByList = [this](DATA_SET_HANDLE *, const std::vector<int> &numbers,
                                       bool notSorted) {
            byList = numbers;
            byNotSorted = notSorted;
            ++byCalls;
            return 0;
        };
    }

    std::vector<int> byList;
    bool byNotSorted = false;
    int byCalls = 0;

private:
    static std::string upper(std::string text)
    {
        for (char &c : text)
            if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
        return text;
    }
    std::map<std::string, std::vector<std::string>> variables_;
    std::vector<std::unique_ptr<DATA_SET_HANDLE>> handles_;
    std::map<DATA_SET_HANDLE *, std::string> names_;
};

struct ParseRun {
    int status = 0;
    PARSE_CONTROL *control = nullptr;
    std::string log;

    STATEMENT_NODE *procedure() const { return control->statement; }
    const OPTION_SLOT &slot(int k) const { return procedure()->options[k]; }
    /* Byte `offset` of the procedure statement record, as the option reader
     * reads it. */
    uint8_t recordByte(size_t offset) const
    {
        return reinterpret_cast<const uint8_t *>(procedure())[offset];
    }
};

/* Releases the step's memory and restores the parse environment after each
 * test. */
class ParserTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        moduleHost().options().set("DEBUG", "");
        takeLog();
    }
    void TearDown() override
    {
        moduleHost().memory().releaseStep();
        moduleHost().controlBlock().parseControlSlot() = nullptr;
    }

    /* Runs xinit, the module's grammar builder and xsparse over text. */
    ParseRun parse(GRAMMAR_BLOCK *(*build)(), const std::string &text)
    {
        source_ = std::make_unique<orvhost::SourceText>("test.job", text);
        step_ = {source_.get(), 0, text.size()};
        orvhost::ParseEnvironment &environment = orvhost::parseEnvironment();
        environment.step = &step_;
        if (fakeDataSets) data.install(environment);
        ParseRun run;
        try {
            xinit();
            if (actionCallback != nullptr) orvParseControl()->actionCallback = actionCallback;
            run.status = xsparse(build(), 0);
        } catch (const orvhost::StepExit &exit) {
            ADD_FAILURE() << "the step ended with " << exit.returnCode;
        }
        environment.step = nullptr;
        run.control = orvParseControl();
        run.log = takeLog();
        return run;
    }
    ParseRun vornak(const std::string &text) { return parse(datekg, text); }
    ParseRun kivevents(const std::string &text) { return parse(kivevg, text); }

    FakeDataSets data;
    /* false: data sets come from the host's data-set store. */
    bool fakeDataSets = true;
    /* Installed as the parser's action callback after xinit when set. */
    orv_action_callback actionCallback = nullptr;

private:
    orvhost::ParseEnvironmentScope scope_;
    std::unique_ptr<orvhost::SourceText> source_;
    orvhost::StepSource step_;
};

}  // namespace orvtest

#endif
