/*
 * week_year_steps.h - closed forms of INTNX and INTCK for YEARV: week-years
 * of ISO weeks (see unit_steps.h for when a closed form declines).
 *
 * Exports: zintWeekYearStep, zintWeekYearCount.
 */
#ifndef ORV_INTERVAL_WEEK_YEAR_STEPS_H
#define ORV_INTERVAL_WEEK_YEAR_STEPS_H

#include "interval/interval_desc.h"

/* zintClosedStep and zintClosedCount (unit_steps.h) of a YEARV
 * descriptor, with their inputs, outputs and results. */
bool zintWeekYearStep(const ZINT_DESC &desc, char align, double x, double n, double *result);
bool zintWeekYearCount(const ZINT_DESC &desc, double from, double to, bool continuous, double *result);

#endif
