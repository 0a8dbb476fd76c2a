/*
 * event_data_checks.cpp - the checks of an event data set row before it is
 * read (see event_data_checks.h).
 */
#include "event/event_data_checks.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "event/event_data_columns.h"
#include "event/event_data_read.h"
#include "event/event_registry.h"
#include "event/statement_options.h"
#include "host/missing_values.h"
#include "host/services.h"
#include "host/text_fields.h"
#include "host/variable_names.h"
#include "interval/interval_names.h"

namespace {

/* Notes of the checks (set 883). */
enum : int {
    kNoteValueRefused = 681,
    kNoteNameNotVariable = 682,
};

/* A number column: missing (not given), or a number within limit whose
 * whole part is itself when `whole`, and not below low. */
bool numberFits(double value, double low, double limit, bool whole)
{
    if (orvIsMissing(value)) return true;
    return value >= low && value <= limit && (!whole || value == std::trunc(value));
}

/* A keyword column: "." (not given), or a keyword the reader decodes
 * (its code is not missing). */
bool keywordFits(const ORV_COUNTED_NAME &field, double code)
{
    return ztsevTextIsDot(field.text, ZTSEV_NAME_SIZE) || !orvIsMissing(code);
}

bool intervalFits(const ORV_COUNTED_NAME &field)
{
    if (ztsevTextIsDot(field.text, ZTSEV_NAME_SIZE)) return true;
    ZINT_DESC desc{};
    return zintstr(field.text, wzstrip(field.text, ZTSEV_NAME_SIZE), &desc) == ZINTSTR_OK;
}

/* The values column c takes, as the note words them. */
void requirementOf(int c, char *text, size_t size)
{
    switch (c) {
    case ZTSEV_COL_DATEINTRVL:
    case ZTSEV_COL_DTINTRVL: std::snprintf(text, size, "an interval name"); break;
    case ZTSEV_COL_TYPE: std::snprintf(text, size, "a keyword of TYPE="); break;
    case ZTSEV_COL_RULE: std::snprintf(text, size, "a keyword of RULE="); break;
    case ZTSEV_COL_SLOPE_BEF:
    case ZTSEV_COL_SLOPE_AFT: std::snprintf(text, size, "DECAY or GROWTH"); break;
    case ZTSEV_COL_SHIFT:
        std::snprintf(text, size, "a whole number from %lld to %lld", -(long long)ZTSEV_SHIFT_LIMIT,
                      (long long)ZTSEV_SHIFT_LIMIT);
        break;
    case ZTSEV_COL_DUR_BEFORE:
    case ZTSEV_COL_DUR_AFTER:
        std::snprintf(text, size, "a whole number from 0 to %lld, or missing for ALL", (long long)ZTSEV_DURATION_LIMIT);
        break;
    default: std::snprintf(text, size, "a number within plus or minus %.0f", ZTSEV_NUMBER_LIMIT); break;
    }
}

}  // namespace

ZtsevNameVerdict ztsevJudgeName(const char *text, int length)
{
    if (length <= 0) return ZtsevNameVerdict::Fits;
    /* Asked with no length limit first: a name of many-byte characters is
     * no variable name, whatever its length. */
    if (!orvIsName(text, size_t(length), size_t(length))) return ZtsevNameVerdict::NotVariable;
    return length > ZTSEV_NAME_SIZE ? ZtsevNameVerdict::TooLong : ZtsevNameVerdict::Fits;
}

int ztsevRefusedColumn(const ZTSEV_ROWBUF *row)
{
    const ZTSEV_QUAL q = ztsevRowQualifiers(row);
    const double shift = double(ZTSEV_SHIFT_LIMIT), duration = double(ZTSEV_DURATION_LIMIT);
    const struct {
        int column;
        bool fits;
    } checks[] = {
        {ZTSEV_COL_DATEINTRVL, intervalFits(row->dateInterval)},
        {ZTSEV_COL_DTINTRVL, intervalFits(row->dtInterval)},
        {ZTSEV_COL_TYPE, keywordFits(row->type, q.type)},
        {ZTSEV_COL_VALUE, numberFits(row->value, -ZTSEV_NUMBER_LIMIT, ZTSEV_NUMBER_LIMIT, false)},
        {ZTSEV_COL_SHIFT, numberFits(row->shift, -shift, shift, true)},
        {ZTSEV_COL_DUR_BEFORE, numberFits(row->durationBefore, 0, duration, true)},
        {ZTSEV_COL_DUR_AFTER, numberFits(row->durationAfter, 0, duration, true)},
        {ZTSEV_COL_SLOPE_BEF, keywordFits(row->slopeBefore, q.slopeBefore)},
        {ZTSEV_COL_SLOPE_AFT, keywordFits(row->slopeAfter, q.slopeAfter)},
        {ZTSEV_COL_TCPARM, numberFits(row->tcParm, -ZTSEV_NUMBER_LIMIT, ZTSEV_NUMBER_LIMIT, false)},
        {ZTSEV_COL_RULE, keywordFits(row->rule, q.rule)},
    };
    for (const auto &check : checks)
        if (!check.fits) return check.column;
    return -1;
}

void ztsevNoteNameNotVariable(const ZTSEV_DSREC *record, int64_t number)
{
    const ORV_COUNTED_DATA_SET_NAME &ds = record->info.qualified;
    xpmlog(ZTSEV_MSG_SET, kNoteNameNotVariable, ORV_MSG_TEXT, std::clamp<int>(ds.length, 0, int(sizeof ds.text)),
           ds.text, ORV_MSG_INT, long(number), ORV_MSG_END);
}

void ztsevNoteRefusedValue(const ZTSEV_DSREC *record, int64_t number, const ZTSEV_ROWBUF *row, int column)
{
    const ZTSEV_COLUMN &c = ztsevColumns()[size_t(column)];
    const auto *field = reinterpret_cast<const uint8_t *>(row) + c.offset;
    char value[40];
    int valueLength = 0;
    if (c.kind == ZtsevColumnKind::Number) {
        double held = 0;
        std::memcpy(&held, field, sizeof held);
        valueLength = int(std::to_chars(value, value + sizeof value, held).ptr - value);
    } else {
        const auto *text = reinterpret_cast<const ORV_COUNTED_NAME *>(field);
        valueLength = wzstrip(text->text, ZTSEV_NAME_SIZE);
        std::memcpy(value, text->text, size_t(valueLength));
    }
    char requirement[80];
    requirementOf(column, requirement, sizeof requirement);
    const ORV_COUNTED_DATA_SET_NAME &ds = record->info.qualified;
    xpmlog(ZTSEV_MSG_SET, kNoteValueRefused, ORV_MSG_TEXT, std::clamp<int>(ds.length, 0, int(sizeof ds.text)),
           ds.text, ORV_MSG_INT, long(number), ORV_MSG_TEXT, int(std::strlen(c.name)), c.name, ORV_MSG_TEXT,
           valueLength, value, ORV_MSG_TEXT, int(std::strlen(requirement)), requirement, ORV_MSG_END);
}
