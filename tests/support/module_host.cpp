/*
 * module_host.cpp - the in-process host of the module tests; it sets the
 * module globals that a module's mcn_main would set.
 */
#include "tests/support/module_host.h"

#include <sstream>

/* The module globals are the platform's (platform/parser/module_anchors.cpp);
 * the test host points them at itself. */
extern "C" void *Exported_QXHandle;

namespace orvtest {
namespace {

std::ostringstream &logStream()
{
    static std::ostringstream stream;
    return stream;
}

/* Makes the host before any test runs, so that module code called from a
 * test finds its control block. */
[[maybe_unused]] const bool hostReady = (moduleHost(), true);

}  // namespace

orvhost::Host &moduleHost()
{
    static orvhost::Host host(logStream());
    v_global_gcb_anchor = host.controlBlock().gcb();
    v_global_pidb_anchor = host.processAnchor();
    Exported_QXHandle = host.controlBlock().gcb()->kernelHandle;
    return host;
}

std::string takeLog()
{
    std::string text = logStream().str();
    logStream().str({});
    return text;
}

void setMultiByte(bool on)
{
    moduleHost().controlBlock().gcb()->locale->mbcs->multiByte = on ? 1 : 0;
}

}  // namespace orvtest
