/*
 * module_anchors.cpp - the module globals of the module code that orvhost
 * carries itself: the interval-name parser (zintstr) and the call stubs it
 * reaches host services through.
 *
 * Each loaded module has its own anchors, set by its mcn_main.  The copy of
 * the module code inside orvhost reads these instead; the parser points
 * v_global_gcb_anchor at the running host's control block before it calls
 * into that code, and the module-test host (tests/support) sets them for the
 * module code under test.  They are weak so that a test binary that records
 * the stubs' jumps through a control block of its own may define its own.
 *
 * Exports: v_global_gcb_anchor, v_global_pidb_anchor, Exported_QXHandle.
 */
#include "host/host_records.h"

extern "C" {
__attribute__((weak)) GCB *v_global_gcb_anchor = nullptr;
__attribute__((weak)) void *v_global_pidb_anchor = nullptr;
__attribute__((weak)) void *Exported_QXHandle = nullptr;
}
