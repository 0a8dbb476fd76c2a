/*
 * line_folds.h - long ramp lines of many occurrences merged under a rule
 * whose merges commute (MAX, MIN, MINNZ, AND, OR, and MINMAG while every
 * value has one sign), in one pass over the series.
 *
 * Under such a rule the merges of an observation can be grouped: the
 * lines' own merge (their fold) is worked out apart and merged once.  A
 * line's value scale * (i - ref) / divisor is monotone in ref, so under
 * MAX and MIN the fold is the value of the line with the least or the
 * greatest reference among those covering the observation; it is found by
 * a running extreme over lines that run from the series' start or to its
 * end.  Values of one sign merged by MINMAG fold as by MIN (positive) or
 * MAX (negative); lines without a 0 merged by MINNZ fold as by MIN (the
 * caller splits a line at its 0).  Under AND and OR one value merged into a missing value stays as it
 * is, and two or more give 0 or 1 by whether any value is 0; a line is 0
 * only at its reference, so counts, sums of references and the count of
 * lines 0 at each observation give the fold.
 *
 * Exports: ZTSEVLineFolds.
 */
#ifndef ORV_EVENT_LINE_FOLDS_H
#define ORV_EVENT_LINE_FOLDS_H

#include <cstdint>

#include "event/event_records.h"
#include "event/shape_pieces.h"

class ZTSEVLineFolds {
public:
    /* Lines of n observations merged by rule, their values of the sign of
     * sign (under MINMAG); work arrays from scratch. */
    ZTSEVLineFolds(int64_t n, int rule, double sign, MEMORY_OBJECT *scratch);

    /* Holds line; false when it is not held (another rule, a line that
     * neither starts nor ends with the series under MAX, MIN, MINNZ or
     * MINMAG, a line with a 0 under MINNZ, or a third pair of scale and
     * divisor): the caller merges it now. */
    bool add(const ZTSEVShapePiece &line);

    /* Merges the fold of the held lines into values; holds nothing after. */
    void apply(double *values);

private:
    /* The lines of one scale and divisor. */
    struct Form {
        double scale = 0, divisor = 1;
        bool used = false, pending = false;
        int64_t *counts = nullptr;   /* AND, OR: changes of the count of lines */
        uint64_t *refSums = nullptr; /* AND, OR: changes of the sum of references, modulo 2^64 */
        int64_t *zeros = nullptr;    /* AND, OR: lines whose reference is the observation */
        int64_t *fromStart = nullptr; /* MAX, MIN: extreme reference of the lines to the end, by start */
        int64_t *toEnd = nullptr;     /* MAX, MIN: extreme reference of the lines from the start, by end */
    };

    Form *formOf(const ZTSEVShapePiece &line);
    int64_t *array(int64_t fill);
    bool wantsLeast(const Form &form) const;
    void applyExtremes(Form &form, double *values);
    void applyCounts(Form &form, double *values);

    int64_t n_;
    int rule_;     /* the rule merging the fold into the series */
    int foldRule_; /* the rule folding the lines */
    MEMORY_OBJECT *scratch_;
    Form forms_[2];
};

#endif
