/*
 * format_records.h - records of the format services that the host and the
 * modules share byte for byte: what xfrname reports of a format and how
 * znamdiv hands back the parts of a divided name.
 *
 * Exports: ORV_NO_FORMAT, ORV_FORMAT_KIND_FORMAT, ORV_FORMAT_KIND_INFORMAT,
 * the category codes, FORMAT_INFO, ORV_NAMDIV_FORMAT, ORV_NAMDIV_DATA_SET,
 * NAME_PARTS.  Every offset is pinned at compile time.
 */
#ifndef ORV_HOST_FORMAT_RECORDS_H
#define ORV_HOST_FORMAT_RECORDS_H

#include <cstddef>
#include <cstdint>

/* The format code of "no format". */
constexpr int64_t ORV_NO_FORMAT = 99;

/* Kinds of xfrname: 'F' a format, 'I' an informat. */
constexpr int ORV_FORMAT_KIND_FORMAT = 70;
constexpr int ORV_FORMAT_KIND_INFORMAT = 73;

/* Categories of a format (FORMAT_INFO.category); the numeric codes are
 * those that the interval library uses for the same categories. */
constexpr uint8_t ORV_FORMAT_CATEGORY_CHARACTER = 1;
constexpr uint8_t ORV_FORMAT_CATEGORY_NUMBER = 4;
constexpr uint8_t ORV_FORMAT_CATEGORY_DATE = 8;
constexpr uint8_t ORV_FORMAT_CATEGORY_TIME = 9;
constexpr uint8_t ORV_FORMAT_CATEGORY_DATETIME = 10;

/* What xfrname reports of a format or informat.  givenWidth and
 * givenDecimals are those written in the name ("DATE9." gives 9 and 0), 0
 * when the name carries none. */
struct FORMAT_INFO {
    int16_t defaultWidth;    /* 0 */
    int16_t minWidth;        /* 2 */
    int16_t maxWidth;        /* 4 */
    int16_t defaultDecimals; /* 6 */
    int16_t maxDecimals;     /* 8 */
    int16_t givenWidth;      /* 10 */
    int16_t givenDecimals;   /* 12 */
    uint8_t category;        /* 14: ORV_FORMAT_CATEGORY_... */
    uint8_t reserved15;      /* 15 */
};
static_assert(offsetof(FORMAT_INFO, minWidth) == 2);
static_assert(offsetof(FORMAT_INFO, maxWidth) == 4);
static_assert(offsetof(FORMAT_INFO, defaultDecimals) == 6);
static_assert(offsetof(FORMAT_INFO, maxDecimals) == 8);
static_assert(offsetof(FORMAT_INFO, givenWidth) == 10);
static_assert(offsetof(FORMAT_INFO, givenDecimals) == 12);
static_assert(offsetof(FORMAT_INFO, category) == 14);
static_assert(sizeof(FORMAT_INFO) == 16);

/* Modes of znamdiv: a format name "NAMEw.d", or a data-set name
 * "libref.member" (a one-level name "member" is WORK.member). */
constexpr int ORV_NAMDIV_FORMAT = 1;
constexpr int ORV_NAMDIV_DATA_SET = 4;

constexpr int ORV_NAME_PART_LENGTH = 32;

/* The parts of a divided name, texts blank-padded.  Format mode: first is
 * the format name (with its '$' for a character format), second is empty,
 * width and decimals as written (0 when absent).  Data-set mode: first is
 * the library reference, second the member, width and decimals 0. */
struct NAME_PARTS {
    int16_t firstLength;                 /* 0 */
    char first[ORV_NAME_PART_LENGTH];    /* 2 */
    int16_t secondLength;                /* 34 */
    char second[ORV_NAME_PART_LENGTH];   /* 36 */
    int32_t width;                       /* 68 */
    int32_t decimals;                    /* 72 */
};
static_assert(offsetof(NAME_PARTS, first) == 2);
static_assert(offsetof(NAME_PARTS, secondLength) == 34);
static_assert(offsetof(NAME_PARTS, second) == 36);
static_assert(offsetof(NAME_PARTS, width) == 68);
static_assert(offsetof(NAME_PARTS, decimals) == 72);
static_assert(sizeof(NAME_PARTS) == 76);

#endif
