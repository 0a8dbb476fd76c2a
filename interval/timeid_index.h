/*
 * timeid_index.h - time-ID indexing: interval indices of a series of time
 * IDs with their checks (zinttip), the message for a failed indexing
 * (zinttipErr), the occupancy marks of interval slots (zinttic) and the
 * display format of a time ID as text (zfmtstri, zfmtstr).
 *
 * Time IDs are dates (days since 1 January 1960) or datetimes (seconds since
 * its midnight); the supported range is 1 January 1582 up to (not including)
 * 1 January 20000.  Interval indices are signed 64-bit integers.
 *
 * zinttip and zinttic exist as a plain form and a form with the suffix 2;
 * they take the same arguments (see timeid_forms.h for what differs).
 *
 * Exports: the ZINTTIP_* results, the ZINTTIC_* results and marks,
 * ZINT_FMTTEXT, zinttip, zinttip2, zinttipErr, zinttic, zinttic2, zfmtstri,
 * zfmtstr, ZINTTIP_MESSAGE_SET.
 */
#ifndef ORV_INTERVAL_TIMEID_INDEX_H
#define ORV_INTERVAL_TIMEID_INDEX_H

#include <cstdint>

#include "host/host_records.h"
#include "interval/interval_desc.h"

/* Results of zinttip. */
enum : int {
    ZINTTIP_ASCENDING = 1,       /* ascending and unique (also for n <= 1) */
    ZINTTIP_DUPLICATES = 2,      /* ascending with equal neighbours */
    ZINTTIP_UNSORTED = 3,        /* some index below its predecessor */
    ZINTTIP_MISSING = -1,        /* a missing time ID */
    ZINTTIP_OUT_OF_RANGE = -2,   /* a time ID outside the range, or no aligned value */
    ZINTTIP_OVERFLOW = -3,       /* an index of magnitude 2^63 or more */
    ZINTTIP_INEXACT = -4,        /* plain form: an index of magnitude above 2^53 */
    ZINTTIP_CUSTOM_FAILURE = -5, /* the custom-interval index failed */
};

/* Message set of zinttipErr, and the return code it gives for a failure. */
constexpr int ZINTTIP_MESSAGE_SET = 882;
constexpr int ZINTTIP_ERROR_RC = 1020;

/* Results of zinttic, and its occupancy marks (one byte per slot). */
enum : int {
    ZINTTIC_NONE = 0,        /* no duplicates, no gaps */
    ZINTTIC_GAPS = 1,        /* gaps, no duplicates */
    ZINTTIC_DUPLICATES = -1, /* duplicates (gaps may be present too) */
    ZINTTIC_OUTSIDE = -99,   /* an index outside [0, slots) */
};
enum : uint8_t {
    ZINTTIC_EMPTY = 0,  /* a gap when between the first and the last occupied slot */
    ZINTTIC_ONCE = 1,
    ZINTTIC_SEVERAL = 2,
    ZINTTIC_BEFORE = 3, /* before the first occupied slot */
    ZINTTIC_AFTER = 4,  /* after the last occupied slot */
};

/* A display format as text ("DATE9.", "F8.2"): its length and 40
 * characters, blank-filled. */
constexpr int ZINT_FMTTEXT_SIZE = 40;
struct ZINT_FMTTEXT {
    int16_t length;
    char text[ZINT_FMTTEXT_SIZE];
};
static_assert(sizeof(ZINT_FMTTEXT) == 42);

/*
 * Interval index of every time ID.
 * Inputs: interval (base code 65 = custom); alignment 'B', 'M', 'E' or 'S'
 * (INTNX alignment); values[0..n); flag (0, or the result wanted instead of
 * the order check); base (the time ID of index 0, or missing: the first
 * aligned value).
 * Outputs (each may be null): index[0..n) the index of each value from
 * base; *maxIndex the largest index (at least 0); *firstAligned and
 * *lastAligned the smallest and largest value aligned to their intervals
 * (missing when not computed).
 * Returns, for a built-in interval: ZINTTIP_ASCENDING, _DUPLICATES or
 * _UNSORTED, or the non-zero flag itself for n >= 2 (the order is then not
 * checked); for n <= 0 ZINTTIP_ASCENDING with nothing read; failures
 * ZINTTIP_MISSING (found before anything is computed), _OUT_OF_RANGE,
 * _OVERFLOW, _INEXACT (plain form only), stopping at the first bad value.
 * For a custom interval with n >= 1 (custom_timeid.h): ZINTTIP_MISSING for
 * a missing value, ZINTTIP_CUSTOM_FAILURE for a value or base that no
 * period holds, ZINTTIP_OUT_OF_RANGE for a value in the open period before
 * or after the defined ones, _OVERFLOW and (plain form) _INEXACT; else
 * the order result as above, for indices relative to base's period (the
 * first value's when base is missing).
 */
int zinttip(const ZINT_DESC *interval, char alignment, const double *values, int64_t n, int flag,
            int64_t *index, double base, int64_t *maxIndex, double *firstAligned,
            double *lastAligned);
int zinttip2(const ZINT_DESC *interval, char alignment, const double *values, int64_t n, int flag,
             int64_t *index, double base, int64_t *maxIndex, double *firstAligned,
             double *lastAligned);

/*
 * Logs the message (ZINTTIP_MESSAGE_SET, number) for a negative zinttip
 * result r.  The message names the ID variable, the data set and the
 * interval when idName, dsItem (the 8-character library reference that
 * precedes the data-set name in an IO block) and dsName are all given and
 * interval is given; otherwise it carries no arguments.  Counted lengths
 * outside [0, 32] are clipped.
 * Returns 0 when r >= 0 (nothing logged), else ZINTTIP_ERROR_RC.
 */
int zinttipErr(const ORV_COUNTED_NAME *idName, const char *dsItem, const ORV_COUNTED_NAME *dsName,
               const ZINT_DESC *interval, int r);

/*
 * Occupancy marks of `slots` interval slots from the indices index[0..n).
 * REQUIRES: marks holds `slots` bytes, all ZINTTIC_EMPTY.
 * Outputs: marks; *duplicates the values that fell into an occupied slot;
 * *gaps the empty slots between the first and the last occupied slot (both
 * may be null).  n <= 0 leaves every mark empty.
 * Returns ZINTTIC_OUTSIDE at the first index outside [0, slots) (marks
 * partly set), else ZINTTIC_DUPLICATES, ZINTTIC_GAPS or ZINTTIC_NONE.
 */
int zinttic(const int64_t *index, int64_t n, int64_t slots, uint8_t *marks, int64_t *duplicates,
            int64_t *gaps);
int zinttic2(const int64_t *index, int64_t n, int64_t slots, uint8_t *marks, int64_t *duplicates,
             int64_t *gaps);

/*
 * Writes a display format as text: the format's name (the host's name of
 * fmtCode, at most 32 characters), then the width, a point and the
 * decimals as given (0 = not given): DATE9., F8.2, F.2, BEST.
 * Output: out (length and blank-filled text).
 * Returns the printed length (0 with an empty text for a null out).
 */
int zfmtstri(int64_t fmtCode, int width, int decimals, ZINT_FMTTEXT *out);

/* zfmtstri of a format record (width, decimals, format code); a null record
 * writes an empty text and gives 0. */
int zfmtstr(const FORMAT_RECORD *fmt, ZINT_FMTTEXT *out);

#endif
