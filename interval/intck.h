/*
 * intck.h - counting intervals (INTCK) between two values: the boundaries
 * crossed (discrete) or the whole intervals elapsed (continuous).
 *
 * Values are of the descriptor's kind as for INTNX (intnx.h).  Unlike
 * INTNX, INTCK floors its values without the 1e-12 nudge.  Every failure
 * gives the ordinary missing value.
 *
 * The closed forms of unit_steps.h answer the ordinary calls of the
 * built-in calendar intervals; the general code answers the rest.
 *
 * Exports: zintck2, zintck3, and the general code alone, zintck2General,
 * zintck3General (for tests that compare it with the closed forms, and
 * for the closed forms to fall back on).
 */
#ifndef ORV_INTERVAL_INTCK_H
#define ORV_INTERVAL_INTCK_H

#include "interval/interval_desc.h"

/*
 * Number of interval starts s with from < s <= to (negative when to lies
 * before from).  The boundaries are exactly the starts zintnx2 steps to.
 * Returns the count, or missing: a null descriptor, a missing value, a
 * value above 1.3407807929942597E152 in magnitude, a calendar value outside
 * the valid day range, a kind that does not fit the code.  A custom
 * interval (code 65) counts its periods (customINTCK, custom_ops.h); .M and
 * .I are then values too.
 */
double zintck2(const ZINT_DESC *desc, double from, double to);

/*
 * Number of whole intervals from `from` to `to`: the largest c (toward
 * zero) such that stepping `from` by c intervals with same-position
 * alignment does not pass `to`; negative when to lies before from.
 * Returns the count, or missing when zintck2 or a check step is missing.
 */
double zintck3(const ZINT_DESC *desc, double from, double to);

/* zintck2 and zintck3 without the closed forms of unit_steps.h. */
double zintck2General(const ZINT_DESC *desc, double from, double to);
double zintck3General(const ZINT_DESC *desc, double from, double to);

#endif
