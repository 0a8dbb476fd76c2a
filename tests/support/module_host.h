/*
 * module_host.h - a host running inside a test process, for tests of the
 * modules' own code: the code under test calls host services through its
 * stubs, and they reach this host's routines.
 */
#ifndef ORV_TESTS_MODULE_HOST_H
#define ORV_TESTS_MODULE_HOST_H

#include <string>

#include "platform/host.h"

namespace orvtest {

/* The host, made on first use; the modules' control block anchor points to
 * it. */
orvhost::Host &moduleHost();

/* The log written since the last call. */
std::string takeLog();

/* Turns the host's multi-byte character switch on or off. */
void setMultiByte(bool on);

}  // namespace orvtest

#endif
