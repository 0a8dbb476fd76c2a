/*
 * orvkeydf_records.cpp - the date-key module's procedure control record.
 *
 * Exports pcn_ORVKEYDF and mcn_pcns, the list through which the host finds it,
 * and names the module's component in its version record.
 */
#include "host/module_records.h"
#include "procdriver/orvkeydf.h"

extern const char ORV_MODULE_COMPONENT[] = "base";

extern "C" {

__attribute__((visibility("default"))) extern const PROC_CONTROL_RECORD pcn_ORVKEYDF =
    procControlRecord(procName("orvkeydf"), orvkeydf, 542220743);

__attribute__((visibility("default"))) extern const PROC_CONTROL_RECORD *const mcn_pcns[2] = {
    &pcn_ORVKEYDF, nullptr};

}
