/*
 * parsed_stem.cpp - the interval stem of a season group, parsed once (see
 * parsed_stem.h).
 */
#include "event/parsed_stem.h"

#include <cstring>

namespace {

const ZtsevParsedStem *live = nullptr;

}  // namespace

ZtsevParsedStem::ZtsevParsedStem(const char *stemText, int stemLength, const ZINT_DESC &parsed)
    : text(stemText), length(stemLength), desc(parsed), outer_(live)
{
    live = this;
}

ZtsevParsedStem::~ZtsevParsedStem() { live = outer_; }

int ztsevParseStem(const char *text, int length, ZINT_DESC *desc)
{
    if (live != nullptr && length == live->length && length > 0 &&
        std::memcmp(text, live->text, size_t(length)) == 0) {
        *desc = live->desc;
        return ZINTSTR_OK;
    }
    return zintstr(text, length, desc);
}
