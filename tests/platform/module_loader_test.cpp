/*
 * module_loader_test.cpp - orvhost loads both built modules and runs their
 * steps, and each broken fixture module gives its own clear error.
 */
#include "platform/module_loader.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/host.h"
#include "platform/parser/parse_environment.h"

namespace {

TEST(ModuleLoader, LoadsBothModulesAndRunsAStep)
{
    std::ostringstream log;
    orvhost::Host host(log);
    orvhost::ModuleLoader loader({ORV_MODULE_DIR}, host.controlBlock().gcb(),
                                 host.processAnchor());
    /* Each step parses a bare procedure statement. */
    orvhost::ParseEnvironmentScope scope;
    const orvhost::SourceText vornak("test.job", "VORNAK;"), kivevents("test.job", "KIVEVENTS;");
    const orvhost::StepSource statements[] = {{&vornak, 0, 7}, {&kivevents, 0, 10}};
    /* Both steps read their options and end with 2000 without DATA=. */
    const int expected[] = {2000, 2000};
    int index = 0;
    for (const char *name : {"orvkeydf", "orvocrdf"}) {
        SCOPED_TRACE(name);
        const int rc = expected[index];
        orvhost::parseEnvironment().step = &statements[index++];
        std::string error;
        const orvhost::LoadedModule *module = loader.load(name, error);
        ASSERT_NE(module, nullptr) << error;
        EXPECT_EQ(loader.load(name, error), module) << "loaded once";
        EXPECT_EQ(host.runStep(module->procedure->entry), rc);
        EXPECT_EQ(host.runStep(module->procedure->entry), rc) << "a second step";
    }
    EXPECT_EQ(host.memory().liveBlockCount(), 0u);
}

TEST(ModuleLoader, BrokenModulesGiveTheirOwnErrors)
{
    struct Case {
        const char *name;
        const char *expected;
    } cases[] = {
        {"fxnomain", "fxnomain.so) has no entry mcn_main."},
        {"fxbadmag", "is not a procedure module: its image record has the magic number "
                     "0xDEADBEEF in place of 0xB0BDEBED."},
        {"fxabsent", "The module fxabsent was not found (looked for fxabsent.so in "},
    };
    std::ostringstream log;
    orvhost::Host host(log);
    orvhost::ModuleLoader loader({ORV_FIXTURE_DIR}, host.controlBlock().gcb(),
                                 host.processAnchor());
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::string error;
        EXPECT_EQ(loader.load(c.name, error), nullptr);
        EXPECT_NE(error.find(c.expected), std::string::npos) << error;
    }
}

TEST(ModuleLoader, EntryThatReturnsEndsTheStepWithHostFailure)
{
    std::ostringstream log;
    orvhost::Host host(log);
    orvhost::ModuleLoader loader({ORV_FIXTURE_DIR}, host.controlBlock().gcb(),
                                 host.processAnchor());
    std::string error;
    const orvhost::LoadedModule *module = loader.load("fxreturn", error);
    ASSERT_NE(module, nullptr) << error;
    EXPECT_EQ(host.runStep(module->procedure->entry), 9999);
    EXPECT_NE(log.str().find("ERROR: The procedure returned without ending its step."),
              std::string::npos);
}

}  // namespace
