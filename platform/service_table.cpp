/*
 * service_table.cpp - builds the vector tables from the service list and
 * routes the services this host lacks to the trap.
 */
#include "platform/service_table.h"

#include <algorithm>
#include <array>

#include "platform/step.h"

namespace orvhost {
namespace {

const ServiceInfo kServices[] = {
#define ORV_SERVICE(name, vector, slot, result, params) \
    {#name, vector, slot, reinterpret_cast<void *>(&host_routines::name)},
#include "host/services.def"
#undef ORV_SERVICE
};

constexpr uint32_t largestVector()
{
    uint32_t largest = 0;
#define ORV_SERVICE(name, vector, slot, result, params) largest = std::max<uint32_t>(largest, vector);
#include "host/services.def"
#undef ORV_SERVICE
    return largest;
}

constexpr uint32_t kVectorCount = largestVector() + 1;

}  // namespace

std::span<const ServiceInfo> serviceList() { return kServices; }

const ServiceInfo *findService(uint64_t serviceId)
{
    for (const ServiceInfo &service : kServices)
        if (orvServiceId(service.vector, service.slot) == serviceId) return &service;
    return nullptr;
}

VectorTables::VectorTables()
    : tables_(kVectorCount), vectorPointers_(kVectorCount, nullptr), inCallFlags_(256, 0)
{
    for (const ServiceInfo &service : kServices) {
        std::vector<void *> &table = tables_[service.vector];
        if (table.size() <= service.slot)
            table.resize(service.slot + 1, reinterpret_cast<void *>(&orv_service_trap));
    }
    for (const ServiceInfo &service : kServices)
        if (service.routine != nullptr) tables_[service.vector][service.slot] = service.routine;
    for (uint32_t vector = 0; vector < kVectorCount; ++vector)
        if (!tables_[vector].empty()) vectorPointers_[vector] = tables_[vector].data();
}

}  // namespace orvhost
