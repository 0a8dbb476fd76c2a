/*
 * orvkeydf.cpp - entry of the date-key procedure (the VORNAK statement).
 *
 * The host calls it without arguments once per step; the shared step run
 * (step_run.h) does the work with the date-key module's grammar, option
 * reader and message sets, its start note, its events finished as one
 * date-key list and the date-key periods of each group.
 */
#include "procdriver/orvkeydf.h"

#include "procdriver/datekg.h"
#include "procdriver/datekpar.h"
#include "procdriver/step_run.h"

namespace {
constexpr KIV_MODULE kDateKeyModule{datekg, datekpar, true, true, true, kivDateKeyMessages};
}  // namespace

extern "C" void orvkeydf() { kivRunStep(kDateKeyModule); }
