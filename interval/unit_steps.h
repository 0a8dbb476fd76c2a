/*
 * unit_steps.h - closed forms of INTNX and INTCK for the built-in calendar
 * intervals on ordinary inputs, each a few index computations with no call
 * to the general stepping code.
 *
 * An interval is `length` consecutive units: days (DAY, WEEK, WEEKV),
 * working days (WEEKDAY), month parts (TENDAY, SEMIMONTH, the months,
 * quarters, half-years and years, retail ones included) or time units
 * (SECOND, MINUTE, HOUR of kind 's').  Its own shift-base interval has the
 * same units with length 1, so every alignment, same position included, is
 * a handful of unit indices and unit starts (unit_families.h), and the
 * same position takes two: x's unit and the target unit.  YEARV
 * (week-years of ISO weeks) has closed forms of its own
 * (week_year_steps.h).
 *
 * The closed forms decline (return false) whenever the general code must
 * decide: custom and observation intervals, a WEEKDAY without working
 * days, a missing value, a value that the 1e-12 nudge of INTNX moves to
 * another integer, a step count that is not a whole number of at most 2^20
 * in magnitude, an interval of more than 2^20 units, and any value, step
 * or boundary outside the valid day range (for the time units, beyond
 * 2^50 seconds; for YEARV, week-years outside 1583 to 19999).  When they
 * accept, the result is the one the general code gives
 * (tests/interval/unit_steps_test.cpp compares them over sweeps).
 *
 * Exports: zintClosedStep, zintClosedCount, and the table they (and
 * zintnx3, zintck2 and zintck3) look up, ZintClosedForms,
 * zintClosedFormsOf, zintClosedFormsFor, zintAlignSlot.
 */
#ifndef ORV_INTERVAL_UNIT_STEPS_H
#define ORV_INTERVAL_UNIT_STEPS_H

#include <array>

#include "interval/interval_desc.h"

/* The closed forms of one kind of interval: INTNX by alignment and INTCK
 * (as zintClosedStep and zintClosedCount, the alignment chosen), and the
 * same with the general code behind them: aligned[slot] answers zintnx3,
 * counted[0] zintck2 and counted[1] zintck3 whole, so that those entry
 * points pass their arguments on in one jump and keep nothing across
 * it. */
struct ZintClosedForms {
    bool (*steps[4])(const ZINT_DESC &desc, double x, double n, double *result); /* B, M, E, S */
    bool (*count)(const ZINT_DESC &desc, double from, double to, bool continuous, double *result);
    double (*aligned[4])(const ZINT_DESC &desc, ZINT_DESC *shiftBase, double x, double n); /* B, M, E, S */
    double (*counted[2])(const ZINT_DESC &desc, double from, double to); /* discrete, continuous */
};

/* The closed forms of each base code; null for the codes left to the
 * general code. */
extern const std::array<const ZintClosedForms *, 256> zintClosedFormsOf;

/* The closed forms of desc, null when it has none.  Inline, with the two
 * entry points below, so that INTNX and INTCK reach the forms of their
 * interval in one call. */
inline const ZintClosedForms *zintClosedFormsFor(const ZINT_DESC &desc)
{
    return desc.kind == 'd' || desc.kind == 's' ? zintClosedFormsOf[desc.code] : nullptr;
}

/* The slot of alignment align in ZintClosedForms::steps and aligned: 'M'
 * 1, 'E' 2, 'S' 3, and 0 for 'B' and every other character. */
inline int zintAlignSlot(char align)
{
    return align == 'M' ? 1 : align == 'E' ? 2 : align == 'S' ? 3 : 0;
}

/*
 * INTNX of desc from x by n intervals with alignment align ('B' or any
 * other character, 'M', 'E', 'S' as zintnx3).
 * Returns true with the value in *result, or false (result untouched)
 * when the general code must compute it.
 */
inline bool zintClosedStep(const ZINT_DESC &desc, char align, double x, double n, double *result)
{
    const ZintClosedForms *forms = zintClosedFormsFor(desc);
    return forms != nullptr && forms->steps[zintAlignSlot(align)](desc, x, n, result);
}

/*
 * INTCK of desc from `from` to `to`, discrete (continuous false) or
 * continuous.  Returns true with the count in *result, or false when the
 * general code must compute it.
 */
inline bool zintClosedCount(const ZINT_DESC &desc, double from, double to, bool continuous,
                            double *result)
{
    const ZintClosedForms *forms = zintClosedFormsFor(desc);
    return forms != nullptr && forms->count(desc, from, to, continuous, result);
}

#endif
