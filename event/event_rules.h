/*
 * event_rules.h - the rules that merge overlapping or combined event
 * values: ADD, MAX, MIN, MINNZ, MINMAG, MULT, AND, OR.
 *
 * Exports: ZTSEVRuleFlag2Char, ZTSEVValueFromRule, ztsevValueFromRuleTimes,
 * ZTSEVCombDummyFromRule.
 */
#ifndef ORV_EVENT_EVENT_RULES_H
#define ORV_EVENT_EVENT_RULES_H

#include <cstdint>

#include "event/event_records.h"

/* Writes the keyword of rule 1-8 blank-padded into the 32-character field
 * and returns its length; any other code writes "." and returns 1. */
int ZTSEVRuleFlag2Char(int rule, char *field);

/*
 * Merges one new value into old by rule.  A missing old gives new and a
 * missing new gives old, whatever the rule (*status 0).  ADD and MULT stop
 * at the largest finite double (with the result's sign) instead of
 * overflowing.  A zero result is +0, never -0.  An unknown rule gives
 * *status ZTSEV_UNKNOWN_RULE and the missing value; otherwise *status is 0.
 */
double ZTSEVValueFromRule(int rule, int *status, double oldValue, double newValue);

/* newValue merged k times (k >= 0) into oldValue by rule (a known one),
 * one merge after another, as k calls of ZTSEVValueFromRule give it. */
double ztsevValueFromRuleTimes(int rule, double oldValue, double newValue, int64_t k);

/*
 * Merges series a and b element by element into out (out may be a or b):
 * as ZTSEVValueFromRule, except that for MULT and AND an element is missing
 * when either input is, and OR gives 0 or 1 on every element (missing
 * becomes 0); no element is -0.  Returns 0, or ZTSEV_UNKNOWN_RULE with out untouched.
 */
int ZTSEVCombDummyFromRule(const double *a, const double *b, double *out, int64_t n, int rule);

#endif
