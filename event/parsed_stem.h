/*
 * parsed_stem.h - the interval stem of a season group, parsed once for the
 * whole build of the group.
 *
 * Each member name of a season group (stem_1 ... stem_n) is recognised by
 * parsing its stem as an interval name; for a custom interval that parse
 * reads the calendar data set again.  While a ZtsevParsedStem is alive, a
 * stem of exactly its text parses to the descriptor it holds, which is what
 * zintstr gave for that text when the scope was made.
 *
 * Exports: ZtsevParsedStem, ztsevParseStem.
 */
#ifndef ORV_EVENT_PARSED_STEM_H
#define ORV_EVENT_PARSED_STEM_H

#include "interval/interval_names.h"

/* Holds text[0..length) parsed (status 0) to desc for its lifetime; the
 * text must stay unchanged meanwhile.  Scopes do not nest: an inner scope
 * hides the outer one until it ends. */
class ZtsevParsedStem {
public:
    ZtsevParsedStem(const char *text, int length, const ZINT_DESC &desc);
    ~ZtsevParsedStem();
    ZtsevParsedStem(const ZtsevParsedStem &) = delete;
    ZtsevParsedStem &operator=(const ZtsevParsedStem &) = delete;

    const char *text;
    int length;
    ZINT_DESC desc;

private:
    const ZtsevParsedStem *outer_;
};

/* zintstr(text, length, desc), taken from the live ZtsevParsedStem when
 * its text is the same. */
int ztsevParseStem(const char *text, int length, ZINT_DESC *desc);

#endif
