/*
 * step_services.cpp - host routines that end a step: xexit and the trap of
 * services this host does not provide.
 */
#include <cstdio>

#include "platform/host.h"
#include "platform/service_table.h"
#include "platform/step.h"

namespace host_routines {

void xexit(int rc, int /*flag*/) { throw orvhost::StepExit{rc}; }

}  // namespace host_routines

extern "C" void orvUnavailableService(uint64_t serviceId)
{
    using namespace orvhost;
    unsigned vector = unsigned(serviceId >> 32);
    unsigned slot = unsigned(serviceId & 0xFFFFFFFFu);
    const ServiceInfo *service = findService(serviceId);
    MessageArg args[] = {
        {MessageArg::Type::Text, 0, 0, service != nullptr ? service->name : "(unlisted)"},
        {MessageArg::Type::Integer, long(vector), 0, {}},
        {MessageArg::Type::Integer, long(slot), 0, {}}};
    Host::current().logMessage(kHostMessageSet, kUnavailableServiceMessage, args);
    throw StepExit{kHostFailureReturnCode};
}
