/*
 * numeric_utils.h - small numeric routines shared by every subsystem:
 * integer maximum and minimum, a guarded power, filling and strided copying
 * of double arrays.
 */
#ifndef ORV_HOST_NUMERIC_UTILS_H
#define ORV_HOST_NUMERIC_UTILS_H

#include <cstdint>

int max(int a, int b);
int min(int a, int b);
int64_t lmax(int64_t a, int64_t b);
int64_t lmin(int64_t a, int64_t b);

/* Status of zpower. */
enum : int {
    ZPOWER_OK = 0,
    ZPOWER_OVERFLOW = 1,
    ZPOWER_NEGATIVE_BASE = 2, /* negative base with a non-integral exponent */
    ZPOWER_ZERO_BASE = 3,     /* zero base with an exponent of 0 or less */
};

/* x to the power y; *status as above; the ordinary missing value for every
 * status other than ZPOWER_OK. */
double zpower(int *status, double x, double y);

/* The least integer exponent k >= 1 from which zpower(x, k') is 0 (or -0)
 * for every integer k' >= k; -1 when there is none (|x| >= 1). */
int64_t zpowerVanishesFrom(double x);

/* Stores value into values[0..n); n of 0 or less changes nothing. */
void vzfdl(double *values, int64_t n, double value);

/* destination[i * stride] = source[i] for i in [0, n); n of 0 or less copies
 * nothing. */
void zvmovj1(double *destination, int64_t stride, const double *source, int64_t n);

#endif
