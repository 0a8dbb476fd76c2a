/*
 * services.h - prototypes of the host services as the modules call them.
 *
 * Generated from the one service list, services.def: each service is a call
 * stub (service_stubs.S) that jumps through the control block's vector table,
 * so the prototype is exactly the signature of the host routine behind it.
 */
#ifndef ORV_SERVICES_H
#define ORV_SERVICES_H

#include <cstddef>
#include <cstdint>

#include "host/service_args.h"

extern "C" {
#define ORV_SERVICE(name, vector, slot, result, params) result name params;
#include "host/services.def"
#undef ORV_SERVICE
}

#endif
