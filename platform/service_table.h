/*
 * service_table.h - the host routines behind the service vectors.
 *
 * Every service of host/services.def has a routine of the same name and
 * signature in namespace host_routines.  A routine this host does not provide
 * stays undefined (the declarations are weak), and its slot routes to the
 * unavailable-service trap, which logs the service and ends the step with
 * return code 9999.
 */
#ifndef ORV_PLATFORM_SERVICE_TABLE_H
#define ORV_PLATFORM_SERVICE_TABLE_H

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "host/host_records.h"
#include "host/service_args.h"

namespace host_routines {
#define ORV_SERVICE(name, vector, slot, result, params) result name params __attribute__((weak));
#include "host/services.def"
#undef ORV_SERVICE
}  // namespace host_routines

namespace orvhost {

struct ServiceInfo {
    const char *name;
    uint32_t vector;
    uint32_t slot;
    void *routine; /* null when this host has no routine for the service */
};

/* Every service of the list, in list order. */
std::span<const ServiceInfo> serviceList();

/* The service with this (vector << 32) | slot identifier, or null. */
const ServiceInfo *findService(uint64_t serviceId);

/* The vector tables of a control block: one routine table per vector number
 * that the list uses, each slot holding the service's routine or the trap. */
class VectorTables {
public:
    VectorTables();
    orv_routine_table *vectors() { return vectorPointers_.data(); }
    uint8_t *inCallFlags() { return inCallFlags_.data(); }

private:
    std::vector<std::vector<void *>> tables_;
    std::vector<orv_routine_table> vectorPointers_;
    std::vector<uint8_t> inCallFlags_;
};

}  // namespace orvhost

/* Entry of the unavailable-service trap (service_trap.S): reads the service
 * identifier from R11 and hands it to orvUnavailableService. */
extern "C" void orv_service_trap();
extern "C" [[noreturn]] void orvUnavailableService(uint64_t serviceId);

#endif
