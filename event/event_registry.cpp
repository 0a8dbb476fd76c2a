/*
 * event_registry.cpp - the season and outlier tables and the recognition
 * of date-key names: ZTSEVDatekey2Flag, ZTSEVSeasNameChk, znwkdomnchk (see
 * event_registry.h).  Outlier names are read in outlier_names.cpp, the
 * events of recognised names are made in keyword_events.cpp.
 */
#include "event/event_registry.h"

#include <cmath>
#include <cstring>
#include <iterator>

#include "event/event_list.h"
#include "event/parsed_stem.h"
#include "host/services.h"
#include "host/text_fields.h"
#include "interval/holidays.h"
#include "interval/interval_names.h"

/* ORDER: searched in this order; the keyword of season n is the host text
 * (883, firstCode + n). */
const std::array<ZTSEV_SEASON_ROW, ZTSEV_SEASON_ROWS> ZTSEV_SEASON_TABLE = {{
    {ZINT_MONTH, 12, 1200},
    {ZINT_QTR, 4, 400},
    {ZINT_DAY, 7, 700},
    {ZINT_WEEK, 53, 5300},
    {ZINT_WEEKV, 53, 5200},
    {ZINT_R445MON, 12, 1300},
    {ZINT_R454MON, 12, 1350},
    {ZINT_R544MON, 12, 1400},
    {ZINT_R445QTR, 4, 370},
    {ZINT_R454QTR, 4, 380},
    {ZINT_R544QTR, 4, 390},
    {ZINT_HOUR, 24, 2400},
    {ZINT_MINUTE, 60, 6000},
    {ZINT_SECOND, 60, 3600},
    {ZINT_TENDAY, 36, 1000},
    {ZINT_SEMIMONTH, 24, 1500},
    {ZINT_SEMIYEAR, 2, 200},
}};

namespace {

constexpr std::array<int, ZTSEV_SEAS_OFFSET_COUNT> seasonOffsets()
{
    std::array<int, ZTSEV_SEAS_OFFSET_COUNT> offsets{};
    offsets.fill(-1);
    offsets[ZINT_OBS] = int(ZTSEV_DK_OBS_FIRST);
    offsets[ZINT_CUSTOM] = int(ZTSEV_DK_CUSTOM_FIRST);
    for (const ZTSEV_SEASON_ROW &row : ZTSEV_SEASON_TABLE) offsets[size_t(row.intervalCode)] = row.firstCode;
    return offsets;
}

}  // namespace

/* Indexed by interval base code, ZINT_NONE to ZINT_CUSTOM. */
const std::array<int, ZTSEV_SEAS_OFFSET_COUNT> datekeySeasOffset = seasonOffsets();
static_assert(ZTSEV_SEAS_OFFSET_COUNT == ZINT_CUSTOM + 1, "one entry per base code");

/* ORDER: search order of zoutlnchk. */
const char outl_name[ZTSEV_OUTLIER_KINDS][8] = {
    {'A', 'O', ' ', ' ', ' ', ' ', ' ', ' '}, {'C', 'B', 'L', 'S', ' ', ' ', ' ', ' '},
    {'L', 'S', ' ', ' ', ' ', ' ', ' ', ' '}, {'N', 'L', 'S', ' ', ' ', ' ', ' ', ' '},
    {'T', 'L', 'S', ' ', ' ', ' ', ' ', ' '}, {'T', 'C', ' ', ' ', ' ', ' ', ' ', ' '},
};
const int outl_namel[ZTSEV_OUTLIER_KINDS] = {2, 4, 2, 3, 3, 2};
const int64_t outl_type[ZTSEV_OUTLIER_KINDS] = {
    ZTSEV_OUTLIER_AO, ZTSEV_OUTLIER_CBLS, ZTSEV_OUTLIER_LS, ZTSEV_OUTLIER_NLS, ZTSEV_OUTLIER_TLS, ZTSEV_OUTLIER_TC,
};
static_assert(std::size(outl_namel) == std::size(outl_name) && std::size(outl_type) == std::size(outl_name));

namespace {

/* Seasons of the season-table row whose first code is firstCode; 0 when
 * no row has it. */
int seasonsOfFirstCode(int firstCode)
{
    for (const ZTSEV_SEASON_ROW &row : ZTSEV_SEASON_TABLE)
        if (row.firstCode == firstCode) return row.seasons;
    return 0;
}

/* A season keyword of the table (the host texts), compared through the
 * collating table on the exact length. */
int64_t seasonKeyword(const char *name, int length, int *intervalCode)
{
    for (const ZTSEV_SEASON_ROW &row : ZTSEV_SEASON_TABLE) {
        for (int n = 1; n <= row.seasons; ++n) {
            const char *text = nullptr;
            int textLength = 0;
            if (wkread(ZTSEV_MSG_SET, row.firstCode + n, &text, &textLength) != 0) continue;
            if (textLength != length || wzbcup(text, name, length) != 0) continue;
            if (intervalCode != nullptr) *intervalCode = row.intervalCode;
            return row.firstCode + n;
        }
    }
    return 0;
}

/* A numbered season "interval_n" (see ZTSEVSeasNameChk). */
int64_t numberedSeason(const char *name, int length, int *intervalCode)
{
    const int underscore = wzstpos(name, length, '_');
    if (underscore < 0) return 0;
    ZINT_DESC desc;
    if (ztsevParseStem(name, underscore, &desc) != ZINTSTR_OK) return 0;
    double n = 0;
    if (wzrlchr(name + underscore + 1, length - underscore - 1, &n) != 0) return 0;

    int64_t first = 0;
    int64_t seasons = 0;
    if (desc.code == ZINT_OBS) {
        first = ZTSEV_DK_OBS_FIRST;
        seasons = ZTSEV_DK_OBS_SEASONS;
    } else if (desc.code == ZINT_CUSTOM) {
        first = ZTSEV_DK_CUSTOM_FIRST;
        seasons = ZTSEV_DK_CUSTOM_SEASONS;
    } else if (desc.code > ZINT_HOUR && desc.code < ZTSEV_SEAS_OFFSET_COUNT && desc.kind == 's' &&
               datekeySeasOffset[desc.code] > 0) {
        /* A calendar interval counted in datetimes (DTMONTH, DTDAY ...). */
        first = datekeySeasOffset[desc.code];
        seasons = seasonsOfFirstCode(int(first));
    } else {
        return 0;
    }
    /* n is cast only once it is known to be a whole number in range (the
     * comparisons are false for a NaN). */
    if (!(n >= 1 && n <= double(seasons) && n == std::floor(n))) return 0;
    if (intervalCode != nullptr) *intervalCode = desc.code;
    return first + int64_t(n);
}

constexpr char kMonths[12][4] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN", "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};

bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

int64_t ZTSEVSeasNameChk(const char *name, int length, int *intervalCode)
{
    if (name == nullptr || length <= 0) return 0;
    const int64_t code = seasonKeyword(name, length, intervalCode);
    return code != 0 ? code : numberedSeason(name, length, intervalCode);
}

int64_t znwkdomnchk(const char *name, int length, int *n, int *weekday, int *month)
{
    /* Only the first nine characters are examined; a shorter name is
     * blank-padded to them. */
    constexpr int kExamined = 9;
    char field[kExamined];
    vzmp(name, name == nullptr ? 0 : length, field, kExamined);
    wztxxlt(0, field, field, kExamined);
    if (field[2] != 'W' || !isDigit(field[1]) || !isDigit(field[3]) || field[7] != 'Y' || field[8] != 'R') return 0;
    int m = 0;
    while (m < 12 && std::memcmp(field + 4, kMonths[m], 3) != 0) ++m;
    const int week = field[1] - '0';
    const int day = field[3] - '0';
    if (m == 12 || week < 1 || week > 5 || day < 1 || day > 7) return 0;
    if (n != nullptr) *n = week;
    if (weekday != nullptr) *weekday = day;
    if (month != nullptr) *month = m + 1;
    return ZTSEV_DK_NWKDOM_FIRST + 35 * m + 5 * (day - 1) + (week - 1);
}

int64_t ZTSEVDatekey2Flag(ZTSEV_LIST *list, const char *keyName, int keyLength)
{
    if (keyName == nullptr) return 0;
    const int length = wzstrip(keyName, keyLength);
    if (length == 0) return 0;
    int intervalCode = 0;
    int64_t code = ZTSEVSeasNameChk(keyName, length, &intervalCode);
    if (code == 0) code = zholnchk(keyName, length);
    if (code == 0) code = znwkdomnchk(keyName, length, nullptr, nullptr, nullptr);
    if (code == 0) code = zoutlnchk(keyName, length, 0, nullptr, nullptr, nullptr, nullptr);
    if (code == 0 && list != nullptr && length <= ZTSEV_NAME_SIZE) {
        /* The list's names are compared whole: pass the key NUL-ended. */
        char name[ZTSEV_NAME_SIZE + 1];
        std::memcpy(name, keyName, size_t(length));
        name[length] = '\0';
        int status = 0;
        if (ZTSEVFindEvent(list, name, &status) != nullptr) code = ZTSEV_USER_DATEKEY;
    }
    return code;
}
