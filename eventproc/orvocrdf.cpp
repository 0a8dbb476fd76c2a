/*
 * orvocrdf.cpp - entry of the event procedure (the KIVEVENTS statement).
 *
 * The host calls it without arguments once per step; the shared step run
 * (procdriver/step_run.h) does the work with the event module's grammar,
 * option reader and message sets (743, and 779 for the no-observation
 * message and the no-group note), without a start note, with the event list
 * left at its own kind (events default to the rule ADD) and without
 * date-key periods.
 */
#include "eventproc/orvocrdf.h"

#include "eventproc/kivevg.h"
#include "eventproc/kivevpar.h"
#include "procdriver/step_run.h"

namespace {
constexpr KIV_MODULE kEventModule{kivevg, kivevpar, false, false, false, kivEventMessages};
}  // namespace

extern "C" void orvocrdf() { kivRunStep(kEventModule); }
