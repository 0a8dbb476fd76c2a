/*
 * orvocrdf_records.cpp - the event module's procedure control record.
 *
 * Exports pcn_ORVOCRDF and mcn_pcns, the list through which the host finds it,
 * and names the module's component in its version record.
 */
#include "eventproc/orvocrdf.h"
#include "host/module_records.h"

extern const char ORV_MODULE_COMPONENT[] = "kiv";

extern "C" {

__attribute__((visibility("default"))) extern const PROC_CONTROL_RECORD pcn_ORVOCRDF =
    procControlRecord(procName("orvocrdf"), orvocrdf, 575669431);

__attribute__((visibility("default"))) extern const PROC_CONTROL_RECORD *const mcn_pcns[2] = {
    &pcn_ORVOCRDF, nullptr};

}
