/*
 * format_catalogue.h - the names of the host's formats and informats with
 * their categories, as the interval library classifies a format name.
 *
 * Exports: the ZFMT_* categories, ZfmtCatalogueRow, ZFMT_CATALOGUE_SIZE,
 * fmtinfox.
 */
#ifndef ORV_INTERVAL_FORMAT_CATALOGUE_H
#define ORV_INTERVAL_FORMAT_CATALOGUE_H

#include <cstdint>
#include <span>

/* Categories of a format name; the numbers of num, date, time and datetime
 * are the results of zfmttype. */
enum : uint8_t {
    ZFMT_OTHER = 0,
    ZFMT_NUM = 4,
    ZFMT_DATE = 8,
    ZFMT_TIME = 9,
    ZFMT_DATETIME = 10,
    ZFMT_CURR = 11,
    ZFMT_BINARY = 12,
    ZFMT_CHAR = 13,
    ZFMT_SMF = 14,
    ZFMT_STAT = 15,
};

/* One name: upper case, with a leading "$" for character formats. */
struct ZfmtCatalogueRow {
    const char *name;
    uint8_t category;
};

/* Distinct names of the catalogue: 48 num, 315 date, 32 time, 80
 * datetime, 138 curr, 49 binary, 47 char, 8 smf and 3 stat. */
constexpr int ZFMT_CATALOGUE_SIZE = 720;

/* Every row, each name once, in no particular order. */
std::span<const ZfmtCatalogueRow> fmtinfox();

#endif
