/*
 * event_registry.h - the keyword registry: recognises the names that stand
 * for events without being defined by the user (holidays, seasons of an
 * interval, n-th weekdays of a month, outliers at a date, trend shapes,
 * events of the date-key list), gives each recognised date key its
 * date-key code and creates the event a recognised name stands for.
 *
 * Date-key codes (int64; 0 = no date key), one numbering shared with the
 * date-key expansion and the interval library:
 *   19            an event of the date-key list used as a date key
 *   20 - 44       holidays (interval/holidays.h)
 *   100 + n       season n of OBS, n 1 to 99 (numbered form OBS_n only)
 *   101 ... 113   outliers AO 101, LS 102, TC 105, TLS 111, CBLS 112, NLS 113
 *   first + n     season n of a built-in interval (ZTSEV_SEASON_TABLE)
 *   9000 - 9419   n-th weekday of a month (znwkdomnchk)
 *   10000 + n     season n of a custom interval
 * The OBS season codes overlap the outlier codes; the code alone does not
 * tell them apart.
 *
 * Exports: the ZTSEV_DK_* and ZTSEV_OUTLIER_* codes, ZTSEV_SEASON_ROW,
 * ZTSEV_SEASON_TABLE, datekeySeasOffset, outl_name, outl_namel, outl_type,
 * ZTSEVDatekey2Flag, ZTSEVSeasNameChk, znwkdomnchk, zoutlnchk,
 * ZTSEVExtractDateInfo, ZTSEVExtractDurInfo, ZTSEVFindKeyword.
 */
#ifndef ORV_EVENT_EVENT_REGISTRY_H
#define ORV_EVENT_EVENT_REGISTRY_H

#include <array>
#include <cstdint>

#include "event/event_records.h"

/* Date-key codes (see above; 19 is ZTSEV_USER_DATEKEY). */
constexpr int64_t ZTSEV_DK_NONE = 0;
constexpr int64_t ZTSEV_DK_OBS_FIRST = 100;
constexpr int64_t ZTSEV_DK_OBS_SEASONS = 99;
constexpr int64_t ZTSEV_DK_NWKDOM_FIRST = 9000;
constexpr int64_t ZTSEV_DK_NWKDOM_LAST = 9419;
constexpr int64_t ZTSEV_DK_CUSTOM_FIRST = 10000;
/* Highest custom season number: custom season codes fit an int32. */
constexpr int64_t ZTSEV_DK_CUSTOM_SEASONS = INT32_MAX - ZTSEV_DK_CUSTOM_FIRST;

/* Outlier codes. */
constexpr int64_t ZTSEV_OUTLIER_AO = 101;
constexpr int64_t ZTSEV_OUTLIER_LS = 102;
constexpr int64_t ZTSEV_OUTLIER_TC = 105;
constexpr int64_t ZTSEV_OUTLIER_TLS = 111;
constexpr int64_t ZTSEV_OUTLIER_CBLS = 112;
constexpr int64_t ZTSEV_OUTLIER_NLS = 113;

/* Message set of the event library's keyword and label texts. */
constexpr int ZTSEV_MSG_SET = 883;

/* One row of the season table: season n (1 to seasons) of the interval of
 * base code intervalCode has date-key code firstCode + n, and its keyword
 * is the host text (883, firstCode + n). */
struct ZTSEV_SEASON_ROW {
    int intervalCode;
    int seasons;
    int firstCode;
};
constexpr int ZTSEV_SEASON_ROWS = 17;
extern const std::array<ZTSEV_SEASON_ROW, ZTSEV_SEASON_ROWS> ZTSEV_SEASON_TABLE;

/* First season code by interval base code (0 to 65): the first codes of
 * the season table, 100 for OBS, 10000 for custom intervals, -1 where an
 * interval has no seasons. */
constexpr int ZTSEV_SEAS_OFFSET_COUNT = 66;
extern const std::array<int, ZTSEV_SEAS_OFFSET_COUNT> datekeySeasOffset;

/* Outlier prefixes in search order (AO, CBLS, LS, NLS, TLS, TC), each in an
 * 8-character blank-padded entry, with their lengths and codes. */
constexpr int ZTSEV_OUTLIER_KINDS = 6;
extern const char outl_name[ZTSEV_OUTLIER_KINDS][8];
extern const int outl_namel[ZTSEV_OUTLIER_KINDS];
extern const int64_t outl_type[ZTSEV_OUTLIER_KINDS];

/* Statuses of the registry besides the event-list statuses (2 no list, 3
 * not recognised). */
constexpr int ZTSEV_STATUS_NOT_LOCATED = 11; /* a date or duration part cannot be found */

/*
 * Date-key code of a key name.  Inputs: list (may be null), the key name
 * (keyLength bytes, trailing blanks ignored).  Tries, in order, a season
 * (ZTSEVSeasNameChk), a holiday, an n-th weekday, an outlier, and then,
 * when a list is given, an event of that list (code 19).
 * Returns the code, or 0 when the name is none of these.
 */
int64_t ZTSEVDatekey2Flag(ZTSEV_LIST *list, const char *keyName, int keyLength);

/*
 * Season code of a name: a season keyword of the season table (JANUARY,
 * QTR_3, WEEKV_53 ...) or a numbered season "interval_n" of OBS (n 1 to
 * 99), of a custom interval (n >= 1) or of a datetime interval (DTMONTH_3;
 * n 1 to the interval's season count).  n must be a whole number.
 * Output: *intervalCode (may be null) the interval's base code when a code
 * is returned.  Returns the code, or 0.
 */
int64_t ZTSEVSeasNameChk(const char *name, int length, int *intervalCode);

/*
 * n-th weekday of a month: a name of the form ?nWdMMMYR (character 2 the
 * week n 1 to 5, 5 = last; character 4 the weekday 1 to 7, 1 = Sunday;
 * characters 5 to 7 JAN ... DEC), compared without regard to case.  The
 * first character and anything after the ninth are not examined.
 * Outputs (each may be null): n, weekday, month of a recognised name.
 * Returns 9000 + 35 (month - 1) + 5 (weekday - 1) + (n - 1), or 0.
 */
int64_t znwkdomnchk(const char *name, int length, int *n, int *weekday, int *month);

/*
 * Outlier name: a prefix of outl_name, then a date part (see
 * ZTSEVExtractDateInfo) and, for TLS, a duration after it (see
 * ZTSEVExtractDurInfo).  Inputs: name of at most 32 characters (a longer
 * one is no outlier), alreadyUpper non-zero when the name is upper case.
 * Outputs (each may be null): *date the timing value, *kind its kind (4, 8
 * or 10), *duration the TLS duration (0 for other prefixes), *status: 0
 * for an outlier; 3 when the name starts with no prefix or is too short
 * or too long; otherwise the status of the date part, or 11 when a part
 * reads as missing or a duration is not a whole number from 0 to
 * INT32_MAX.  Returns the outlier code, or 0.
 */
int64_t zoutlnchk(const char *name, int length, int alreadyUpper, double *date, int *kind, int64_t *duration,
                  int *status);

/*
 * Reads the date part of an outlier name (the text after its prefix):
 *   "25OBS"                  observation 25, kind 4 (INT informat);
 *   "01JAN2020h12m30s45DT"   a datetime, kind 10: the H, M, S at
 *                            positions 10, 13, 16 become colons and the
 *                            text before DT is read with DATETIME;
 *   "01JAN2020D"             a date, kind 8: the text before the last
 *                            non-digit character, which must be D.
 * Outputs: *value, *kind.  Returns the informat's status (0 read; the
 * value may still be missing), or 11 when the part cannot be located (also
 * a datetime part longer than 32 characters).
 */
int ZTSEVExtractDateInfo(const char *text, int length, double *value, int *kind);

/*
 * Reads the duration part of an outlier name with the INT informat: the
 * digits after "OBS" (kind 4), after "DT" (kind 10), or after the last
 * non-digit character, which must be D and be followed by at least one
 * digit (kind 8).  Output: *duration (may be missing).  Returns the
 * informat's status, or 11 when not located or for another kind.
 */
int ZTSEVExtractDurInfo(const char *text, int length, int kind, double *duration);

/*
 * Recognises a key name and creates the event it stands for in list.
 * Inputs: list; keyList, the date-key list whose events may serve as keys
 * (may be null); newName (may be null), the name for the created record
 * when it is given and does not start with a blank or '.'; keyName, upper-
 * cased before it is examined (at most 32 characters).
 * Recognised, first match wins: an event of keyList (a SIMPLE record with
 * the key as its date key, code 19), a holiday, a season, an n-th weekday
 * (SIMPLE records with the key as date key and their pulse interval), an
 * outlier (a SIMPLE record at the outlier's date with the outlier's
 * qualifiers), CUBIC, QUAD, LINEAR, INVERSE, LOG (a SIMPLE record of that
 * type), SEASONAL (nothing) and WEASTER (a PREDEF record, only with a new
 * name).  The created record gets its effective qualifiers.
 * Output: *status 0, 2 without a list, 3 when the name is not recognised,
 * or the status of a failed record operation.
 * Returns the created record (the last record of its name), or null.
 * Null with status 0 is a real outcome: SEASONAL, and WEASTER without a
 * new name, are recognised but make no record; every caller checks the
 * record as well as the status.
 */
ZTSEV_EVENT *ZTSEVFindKeyword(ZTSEV_LIST *list, ZTSEV_LIST *keyList, const char *newName, int newNameLength,
                              const char *keyName, int keyNameLength, int *status);

#endif
