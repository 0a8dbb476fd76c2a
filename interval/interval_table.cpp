/*
 * interval_table.cpp - the built-in base codes and their accepted names
 * (see interval_table.h).  Both tables are copied exactly from the interval
 * definition; edit them only together with it.
 */
#include "interval/interval_table.h"

#include <array>
#include <cstring>
#include <iterator>

#include "interval/interval_desc.h"

namespace {

/* ORDER: ascending code. */
constexpr ZintBaseEntry kBaseCodes[] = {
    {ZINT_NONE, "NONE", 1, ZINT_NONE, false},
    {ZINT_OBS, "OBS", 1, ZINT_OBS, false},
    {ZINT_SECOND, "SECOND", 1, ZINT_SECOND, true},
    {ZINT_MINUTE, "MINUTE", 1, ZINT_MINUTE, true},
    {ZINT_HOUR, "HOUR", 1, ZINT_HOUR, true},
    {ZINT_DAY, "DAY", 1, ZINT_DAY, true},
    {ZINT_WEEKDAY, "WEEKDAY", 1, ZINT_WEEKDAY, true},
    {ZINT_WEEK, "WEEK", 7, ZINT_DAY, true},
    {ZINT_WEEKV, "WEEKV", 7, ZINT_DAY, true},
    {ZINT_TENDAY, "TENDAY", 1, ZINT_TENDAY, true},
    {ZINT_SEMIMONTH, "SEMIMONTH", 1, ZINT_SEMIMONTH, true},
    {ZINT_MONTH, "MONTH", 1, ZINT_MONTH, true},
    {ZINT_R445MON, "R445MON", 1, ZINT_R445MON, true},
    {ZINT_R454MON, "R454MON", 1, ZINT_R454MON, true},
    {ZINT_R544MON, "R544MON", 1, ZINT_R544MON, true},
    {ZINT_QTR, "QTR", 3, ZINT_MONTH, true},
    {ZINT_R445QTR, "R445QTR", 3, ZINT_R445MON, true},
    {ZINT_R454QTR, "R454QTR", 3, ZINT_R454MON, true},
    {ZINT_R544QTR, "R544QTR", 3, ZINT_R544MON, true},
    {ZINT_SEMIYEAR, "SEMIYEAR", 6, ZINT_MONTH, true},
    {ZINT_YEAR, "YEAR", 12, ZINT_MONTH, true},
    {ZINT_R445YR, "R445YR", 12, ZINT_R445MON, true},
    {ZINT_R454YR, "R454YR", 12, ZINT_R454MON, true},
    {ZINT_R544YR, "R544YR", 12, ZINT_R544MON, true},
    {ZINT_YEARV, "YEARV", 52, ZINT_WEEKV, true},
    /* A custom interval's shift base is its own name without multiplier and
     * shift; zintshft builds it from the name. */
    {ZINT_CUSTOM, "", 1, ZINT_CUSTOM, false},
};
constexpr int kBaseCodeCount = 26;
static_assert(std::size(kBaseCodes) == kBaseCodeCount);

struct AcceptedName {
    const char *name;
    uint8_t code;
};

/* Every spelling the parser accepts after the optional DT or T prefix. */
constexpr AcceptedName kAcceptedNames[] = {
    {"NONE", ZINT_NONE},
    {"OBS", ZINT_OBS},
    {"SECOND", ZINT_SECOND}, {"SECONDS", ZINT_SECOND}, {"SEC", ZINT_SECOND},
    {"MINUTE", ZINT_MINUTE}, {"MINUTES", ZINT_MINUTE}, {"MIN", ZINT_MINUTE},
    {"HOUR", ZINT_HOUR}, {"HOURLY", ZINT_HOUR}, {"HOURS", ZINT_HOUR}, {"HR", ZINT_HOUR},
    {"DAY", ZINT_DAY}, {"DAILY", ZINT_DAY}, {"DAYS", ZINT_DAY},
    {"WEEKDAY", ZINT_WEEKDAY}, {"WEEKDAYS", ZINT_WEEKDAY},
    {"WEEK", ZINT_WEEK}, {"WEEKLY", ZINT_WEEK}, {"WEEKS", ZINT_WEEK},
    {"WEEKV", ZINT_WEEKV},
    {"TENDAY", ZINT_TENDAY},
    {"SEMIMONTH", ZINT_SEMIMONTH}, {"SEMIMONTHLY", ZINT_SEMIMONTH},
    {"SEMIMONTHS", ZINT_SEMIMONTH}, {"SEMIMON", ZINT_SEMIMONTH},
    {"MONTH", ZINT_MONTH}, {"MONTHLY", ZINT_MONTH}, {"MONTHS", ZINT_MONTH}, {"MON", ZINT_MONTH},
    {"R445MON", ZINT_R445MON}, {"R454MON", ZINT_R454MON}, {"R544MON", ZINT_R544MON},
    {"QTR", ZINT_QTR}, {"QUARTER", ZINT_QTR}, {"QUARTERLY", ZINT_QTR},
    {"QUARTERS", ZINT_QTR}, {"QTRLY", ZINT_QTR}, {"QTRS", ZINT_QTR},
    {"R445QTR", ZINT_R445QTR}, {"R454QTR", ZINT_R454QTR}, {"R544QTR", ZINT_R544QTR},
    {"SEMIYEAR", ZINT_SEMIYEAR}, {"SEMIYEARLY", ZINT_SEMIYEAR}, {"SEMIYEARS", ZINT_SEMIYEAR},
    {"SEMIYR", ZINT_SEMIYEAR}, {"SEMIANNUAL", ZINT_SEMIYEAR}, {"SEMIANN", ZINT_SEMIYEAR},
    {"YEAR", ZINT_YEAR}, {"YEARS", ZINT_YEAR}, {"YEARLY", ZINT_YEAR}, {"YR", ZINT_YEAR},
    {"ANNUAL", ZINT_YEAR}, {"ANNUALLY", ZINT_YEAR}, {"ANNUALS", ZINT_YEAR},
    {"R445YR", ZINT_R445YR}, {"R454YR", ZINT_R454YR}, {"R544YR", ZINT_R544YR},
    {"YEARV", ZINT_YEARV},
};

/* Position in kBaseCodes of each code 0 to ZINT_CUSTOM, -1 for none. */
constexpr auto kEntryOfCode = [] {
    std::array<int8_t, ZINT_CUSTOM + 1> positions{};
    positions.fill(-1);
    for (size_t i = 0; i < std::size(kBaseCodes); ++i) positions[kBaseCodes[i].code] = int8_t(i);
    return positions;
}();

}  // namespace

const ZintBaseEntry *zintBaseEntry(int code)
{
    if (code < 0 || code > ZINT_CUSTOM || kEntryOfCode[size_t(code)] < 0) return nullptr;
    return &kBaseCodes[size_t(kEntryOfCode[size_t(code)])];
}

std::span<const ZintBaseEntry> zintBaseEntries() { return kBaseCodes; }

int getname(const char *stem, int stemLength)
{
    /* Names are grouped by their first letter, A to Y; a stem starting with
     * anything else cannot be a built-in name. */
    if (stem == nullptr || stemLength < 1 || stem[0] < 'A' || stem[0] > 'Y') return -1;
    for (const AcceptedName &accepted : kAcceptedNames) {
        if (int(std::strlen(accepted.name)) == stemLength &&
            std::memcmp(accepted.name, stem, size_t(stemLength)) == 0)
            return accepted.code;
    }
    return -1;
}
