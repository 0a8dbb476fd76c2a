/*
 * series_names.h - the names, labels and codes of the time-series layer's
 * accumulation methods, transformations and fit statistics, and the
 * identity of an open data set.
 *
 * Names are counted texts of 32 blank-padded characters; labels counted
 * texts of 256, fetched from host message set ZTS_LABEL_MESSAGE_SET.
 *
 * Exports: ZTS_TRANSFORM codes, the fit-statistic codes, ZTSAccCodeName,
 * ZTSTransCodeName, ZTSSelectCodeName, ZTSAccNameToCode,
 * ZTSSelectNameToCode, ZTSSetDataSetInfo, ztsQueryDataSetItems, and for
 * tests the tables ztsFitStatTable and ztsFitStatBindings.
 */
#ifndef ORV_SERIES_SERIES_NAMES_H
#define ORV_SERIES_SERIES_NAMES_H

#include <cstdint>
#include <span>

#include "host/host_records.h"
#include "interval/timeslot_accumulate.h"
#include "series/series_context.h"

constexpr int ZTS_LABEL_MESSAGE_SET = 762;

/* Transformations. */
enum ZTS_TRANSFORM : int {
    ZTS_TRANS_NONE = 0,
    ZTS_TRANS_LOG = 1,
    ZTS_TRANS_SQRT = 2,
    ZTS_TRANS_LOGIT = 3,
    ZTS_TRANS_BOXCOX = 4,
    ZTS_TRANS_AUTO = 10,
};

/* One fit statistic: its code, name and label message number. */
struct ZtsFitStat {
    int code;
    const char *name;
    int label;
};

/* The fit statistics in code order, and the name-to-code table in lookup
 * order. */
std::span<const ZtsFitStat> ztsFitStatTable();
struct ZtsFitBinding {
    const char *name;
    int code;
};
std::span<const ZtsFitBinding> ztsFitStatBindings();

/*
 * Name and label of an accumulation method (ZTS_ACCUM).
 * Outputs: *name; *label when label is not null (then fetched from the
 * catalogue).  Returns 0, or -1 for a code outside 0..13 (name "UNKNOWN").
 */
int ZTSAccCodeName(int code, ORV_COUNTED_NAME *name, ORV_COUNTED_LABEL *label);

/* The same for transformations; -1 for an unknown code.  The first five
 * names keep their 8 characters, blanks included, as their length. */
int ZTSTransCodeName(int code, ORV_COUNTED_NAME *name, ORV_COUNTED_LABEL *label);

/* The same for fit statistics; -1 for an unknown code. */
int ZTSSelectCodeName(int code, ORV_COUNTED_NAME *name, ORV_COUNTED_LABEL *label);

/* Accumulation code of a name compared byte for byte as blank-padded
 * upper-case text: NONE, TOTAL, AVG, AVERAGE, FIRST, MIN, MAX, MED, STD,
 * USS, CSS, NOBS, N, NMISS.  Returns the code, or -1 (also for null). */
int ZTSAccNameToCode(const ORV_COUNTED_NAME *name);

/* Fit-statistic code of a name of `length` bytes, compared by the host's
 * collating weights; -1 when length <= 0 or no name matches. */
int ZTSSelectNameToCode(const char *text, int length);

/*
 * Fills the identity of an open data set: rec->handle = handle, then the
 * host items 11, 12, 14 and 81 in this order, each into its field.
 * Returns 0, 1 for a null record or handle, or the first failing xoinfo
 * status (the later items are still asked for).
 */
int ZTSSetDataSetInfo(ZTS_DSINFO *rec, DATA_SET_HANDLE *handle);

/* The four items of ZTSSetDataSetInfo into separate fields (used for the
 * IO block too); the same results. */
int ztsQueryDataSetItems(DATA_SET_HANDLE *handle, char *libref, ORV_COUNTED_NAME *member,
                         ORV_COUNTED_LABEL *label, ORV_COUNTED_DATA_SET_NAME *qualified);

#endif
