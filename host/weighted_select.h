/*
 * weighted_select.h - weighted multi-rank selection.
 *
 * zqpsort finds, in one call and without sorting the whole array, the keys
 * that stand at several ranks of an array of doubles; each key may carry a
 * weight and a fixed-width companion record, and both travel with it.
 * zqpsort_orvnobs is the same routine with counts and positions held in
 * 64-bit integers, for key counts above 2^53.
 */
#ifndef ORV_HOST_WEIGHTED_SELECT_H
#define ORV_HOST_WEIGHTED_SELECT_H

#include <cstdint>

/* Results of zqpsort and zqpsort_orvnobs. */
enum : int {
    ZQPSORT_OK = 0,
    ZQPSORT_BAD_REQUEST = -1, /* nothing was changed */
    ZQPSORT_NO_WEIGHT = -2,   /* weights sum to 1e-12 or less; out holds the targets */
};

/*
 * Selects the keys at ranks[0..k) of keys[0..n).
 *
 * Inputs:
 *   n        number of keys, 1 or more.
 *   keys     n keys, none NaN (infinities are ordinary keys); reordered in place.
 *   weights  n finite weights or null; reordered together with the keys.
 *            Weight w counts as w * n / (sum of the weights), so the
 *            normalised weights sum to n.
 *   k        number of ranks, 1 or more.
 *   ranks    k 0-based ranks in non-decreasing order, each in [-1, n - 1].
 *            Without weights a rank is a position of the ascending order
 *            (a fractional rank is rounded up); with weights it is measured
 *            in normalised weight.  ranks may be the same array as out.
 *   out      k doubles: receives the key for each rank.
 *   next     k doubles or null: receives the key that follows each answer
 *            (see below).
 *   records  null, or n records of recordWidth bytes each, reordered
 *            together with the keys.
 *   recordWidth  bytes per record, 1 or more when records are given.
 *   work     at least recordWidth bytes of scratch when records are given.
 *
 * Answers, with the keys in ascending order:
 *   Without weights, out[j] is the key at position max(ceil(ranks[j]), 0)
 *   and next[j] the key at position min(ceil(ranks[j]) + 1, n - 1); a rank
 *   of -1 gives the smallest key for both.
 *   With weights, let W(v) be the normalised weight of all keys not greater
 *   than v, and T = ranks[j] + 1.  out[j] is the smallest key v whose
 *   weight reaches T, where reaching allows an overshoot of 2^-42 of the
 *   weight of the keys equal to v; next[j] is the next larger key when T
 *   lies on or just above the end of v's weight (W(v) <= T), else v again.
 *
 * On return the keys are a permutation of the input in which every answer
 * key stands at its place of the ascending order and no key below it is
 * greater.
 *
 * Returns ZQPSORT_OK; ZQPSORT_BAD_REQUEST when n or k is below 1, a pointer
 * that must be given is null, recordWidth is below 1 with records, a key is
 * NaN, a weight is NaN or infinite, or the ranks are NaN, out of order or
 * outside [-1, n - 1]; ZQPSORT_NO_WEIGHT when the weights sum to 1e-12 or
 * less.
 */
int zqpsort(int64_t n, double *keys, double *weights, int32_t k, const double *ranks,
            double *out, double *next, void *records, int32_t recordWidth, void *work);

/* zqpsort for any key count: the same arguments, results and answers. */
int zqpsort_orvnobs(int64_t n, double *keys, double *weights, int32_t k, const double *ranks,
                    double *out, double *next, void *records, int32_t recordWidth, void *work);

/* For tests: the end-settling rounds the last selection made (each a pass
 * over the unsettled keys; at most 8, after which it partitions). */
int zqpsortEndRounds();

#endif