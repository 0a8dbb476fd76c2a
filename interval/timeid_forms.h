/*
 * timeid_forms.h - what tells the two forms of the time-ID functions apart.
 *
 * Every time-ID indexing and time-slot function exists as a plain form and a
 * form with the suffix 2 (zinttip / zinttip2, zinttim / zinttim2 ...).  They
 * share one implementation; the form is handed down as a ZintTiForm and
 * decides only:
 *   - where work arrays come from: the plain form uses the global memory
 *     object (GCB word 0x28), the form 2 the second memory object (GCB word
 *     0x98), which the host keeps for the procedure instance;
 *   - how a median is selected: zqpsort, or in the form 2 zqpsort_orvnobs
 *     for more than 2^53 values;
 *   - the index limits and the custom-interval index function of zinttip
 *     and the start value of zinttic (timeid_index.cpp).
 *
 * Exports: ZintTiForm, zintTiAlloc, zintTiFree, zintTiSelect, zintTiMedian.
 */
#ifndef ORV_INTERVAL_TIMEID_FORMS_H
#define ORV_INTERVAL_TIMEID_FORMS_H

#include <cstddef>
#include <cstdint>

enum class ZintTiForm : uint8_t { Plain, Two };

/* Allocation flags of the work arrays (zero-filled pool blocks). */
constexpr int ZINT_TI_WORK_FLAGS = 0x2006;

/* A work block of `bytes` bytes from the form's memory object; null when the
 * host has none to give (the failure is counted for xmemdef) or bytes is 0. */
void *zintTiAlloc(ZintTiForm form, size_t bytes);

/* Frees a block obtained from zintTiAlloc with the same form; null does
 * nothing. */
void zintTiFree(ZintTiForm form, void *block);

/* Selects the key at 0-based rank `rank` of keys[0..n) and the key that
 * follows it in ascending order (keys are reordered).  REQUIRES: n >= 1,
 * no key is missing.  Returns the selection routine's status (0 ok). */
int zintTiSelect(ZintTiForm form, int64_t n, double *keys, double rank, double *at, double *next);

/* The median of zinttms (timeslot_accumulate.h) in the given form. */
int zintTiMedian(ZintTiForm form, int64_t n, double *values, double *work, double *median);

#endif
