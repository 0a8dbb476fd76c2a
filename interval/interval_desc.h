/*
 * interval_desc.h - the interval descriptor ZINT_DESC, the base codes of the
 * built-in intervals and the statuses of the interval-name routines.
 *
 * A descriptor is a plain 56-byte value: copied by value, embedded in other
 * records and never freed on its own.  A descriptor whose code is 0 counts
 * as "no interval" wherever one is optional.
 *
 * Exports: ZINT_DESC, the ZINT_* base codes, the ZINTSTR_* statuses.
 */
#ifndef ORV_INTERVAL_INTERVAL_DESC_H
#define ORV_INTERVAL_INTERVAL_DESC_H

#include <cstddef>
#include <cstdint>

/* Longest interval name, without its NUL. */
constexpr int ZINT_NAME_MAX = 21;

struct ZINT_DESC {
    char kind;          /* 'd' dates, 's' seconds, 'o' observations, 'u' none */
    uint8_t code;       /* base code, ZINT_* below */
    int32_t multiplier; /* base intervals per interval, at least 1 */
    int32_t shift;      /* written shift minus one, in shift-base units; 0 = none */
    uint8_t workingDays; /* WEEKDAY only: working days per week */
    uint8_t daysOff[7];  /* WEEKDAY only: 1 = day off; [0] Sunday ... [6] Saturday */
    char name[ZINT_NAME_MAX + 1]; /* the name as typed, NUL-terminated */
    int16_t nameLength;
    uint8_t padding[4];  /* keeps reserved on its 8-byte boundary */
    uint8_t reserved[8];  /* cleared by the parser, copied along, never read */
};
static_assert(offsetof(ZINT_DESC, kind) == 0);
static_assert(offsetof(ZINT_DESC, code) == 1);
static_assert(offsetof(ZINT_DESC, multiplier) == 4);
static_assert(offsetof(ZINT_DESC, shift) == 8);
static_assert(offsetof(ZINT_DESC, workingDays) == 12);
static_assert(offsetof(ZINT_DESC, daysOff) == 13);
static_assert(offsetof(ZINT_DESC, name) == 20);
static_assert(offsetof(ZINT_DESC, nameLength) == 42);
static_assert(offsetof(ZINT_DESC, reserved) == 48);
static_assert(sizeof(ZINT_DESC) == 56);

/* Base codes, ordered from short to long intervals: codes below
 * ZINT_FIRST_CALENDAR_CODE are time-of-day units. */
enum : uint8_t {
    ZINT_NONE = 0,
    ZINT_OBS = 1,
    ZINT_SECOND = 10,
    ZINT_MINUTE = 15,
    ZINT_HOUR = 20,
    ZINT_DAY = 25,
    ZINT_WEEKDAY = 27,
    ZINT_WEEK = 30,
    ZINT_WEEKV = 31,
    ZINT_TENDAY = 35,
    ZINT_SEMIMONTH = 40,
    ZINT_MONTH = 45,
    ZINT_R445MON = 46,
    ZINT_R454MON = 47,
    ZINT_R544MON = 48,
    ZINT_QTR = 50,
    ZINT_R445QTR = 51,
    ZINT_R454QTR = 52,
    ZINT_R544QTR = 53,
    ZINT_SEMIYEAR = 55,
    ZINT_YEAR = 60,
    ZINT_R445YR = 61,
    ZINT_R454YR = 62,
    ZINT_R544YR = 63,
    ZINT_YEARV = 64,
    ZINT_CUSTOM = 65,
};
constexpr int ZINT_FIRST_CALENDAR_CODE = ZINT_DAY;

/* Seconds in one unit of a time-of-day code; 0 for any other code. */
constexpr int64_t zintSecondsPerUnit(int code)
{
    return code == ZINT_SECOND ? 1 : code == ZINT_MINUTE ? 60 : code == ZINT_HOUR ? 3600 : 0;
}

/* The multiplier of a descriptor, at least 1 also for one built by hand. */
constexpr int64_t zintMultiplierOf(const ZINT_DESC &desc)
{
    return desc.multiplier < 1 ? 1 : desc.multiplier;
}

/* Statuses of zintstr (and of the builders that parse a name). */
enum : int {
    ZINTSTR_OK = 0,
    ZINTSTR_BAD_MULTIPLIER = 1,
    ZINTSTR_BAD_SHIFT = 2,
    ZINTSTR_BAD_LENGTH = 101,
    ZINTSTR_SYNTAX = 102,
    ZINTSTR_UNKNOWN = 103,
    ZINTSTR_NULL = 1001,
    ZINTSTR_CUSTOM_LOAD = -1,
};

#endif
