/*
 * statement_options.cpp - names and shared options of the event statements
 * (statement_options.h).
 */
#include "event/statement_options.h"

#include <algorithm>
#include <cstring>

#include "event/event_registry.h"
#include "event/event_support.h"
#include "host/name_list.h"
#include "host/services.h"
#include "host/text_fields.h"
#include "interval/interval_desc.h"

namespace {

/* Longest integer a statement's duration, shift, slope, type or rule is
 * taken as (the grammar checks the written ranges). */
constexpr int64_t kIntLimit = INT32_MAX;

const OPTION_SLOT &slotOf(const STATEMENT_NODE *statement, int k) { return statement->options[k]; }

bool given(const STATEMENT_NODE *statement, int k)
{
    return k < statement->slotCount && slotOf(statement, k).given != ORV_SLOT_NOT_GIVEN;
}

/* The slot's number truncated into *out when it is given and fits. */
bool integerOf(const STATEMENT_NODE *statement, int k, int64_t *out)
{
    return given(statement, k) && slotOf(statement, k).type == ORV_SLOT_DOUBLE &&
           ztsevTruncated(slotOf(statement, k).value.number, -kIntLimit, kIntLimit, out);
}

bool numberOf(const STATEMENT_NODE *statement, int k, double *out)
{
    if (!given(statement, k) || slotOf(statement, k).type != ORV_SLOT_DOUBLE) return false;
    *out = slotOf(statement, k).value.number;
    return true;
}

bool intervalOf(const STATEMENT_NODE *statement, int k, ZINT_DESC *out)
{
    if (!given(statement, k) || slotOf(statement, k).type != ORV_SLOT_INTERVAL ||
        slotOf(statement, k).value.pointer == nullptr)
        return false;
    std::memcpy(out, slotOf(statement, k).value.pointer, sizeof *out);
    return true;
}

/* The text of a text slot; false when there is none. */
bool textOf(const STATEMENT_NODE *statement, int k, const char **text, int *length)
{
    if (!given(statement, k) || slotOf(statement, k).type != ORV_SLOT_TEXT) return false;
    *text = static_cast<const char *>(slotOf(statement, k).items);
    *length = std::max(0, slotOf(statement, k).value.count);
    return true;
}

/* (208, 176): the option's text was too long and is cut. */
void warnCut(const char *what)
{
    xpmlog(ZTSEV_MSG_SET_TEXT_CUT, ZTSEV_MSG_TEXT_CUT, ORV_MSG_TEXT, int(std::strlen(what)), what,
           ORV_MSG_END);
}

}  // namespace

void ztsevNoteName(int number, const char *name, int length)
{
    xpmlog(ZTSEV_MSG_SET, number, ORV_MSG_TEXT, wzstrip(name, length), name, ORV_MSG_END);
}

int64_t ztsevNameCount(const STATEMENT_NODE *statement, int slot)
{
    if (!given(statement, slot) || slotOf(statement, slot).type != ORV_SLOT_NAMES) return 0;
    return std::max(0, slotOf(statement, slot).value.count);
}

int ztsevStatementName(const STATEMENT_NODE *statement, int slot, int64_t i, char *out)
{
    out[0] = '\0';
    if (i < 0 || i >= ztsevNameCount(statement, slot)) return 0;
    const char *text = nullptr;
    int length = 0;
    if (zgetnmr(static_cast<const NAME_LIST_BLOCK *>(slotOf(statement, slot).items), i, &text,
                &length) != 0 ||
        length > ZTSEV_NAME_SIZE)
        return 0;
    char field[ZTSEV_NAME_SIZE];
    vzmp(text, length, field, ZTSEV_NAME_SIZE);
    length = wzstjus(field, ZTSEV_NAME_SIZE, 'L');
    std::memcpy(out, field, size_t(length));
    out[length] = '\0';
    return length;
}

void ztsevApplyQualifiers(const STATEMENT_NODE *statement, ZTSEV_EVENT *event)
{
    ZTSEV_GIVEN &g = event->given;
    int64_t n = 0;
    const uint8_t flags1 = statement->optionBits[0];
    const uint8_t flags2 = statement->optionBits[1];
    if ((flags1 & ZTSEV_FLAG1_TYPE) && integerOf(statement, ZTSEV_SLOT_TYPE, &n)) {
        g.typeGiven = 1;
        g.type = int32_t(n);
    }
    if (numberOf(statement, ZTSEV_SLOT_VALUE, &g.value)) g.valueGiven = 1;
    if (numberOf(statement, ZTSEV_SLOT_TCPARM, &g.tcParm)) g.tcParmGiven = 1;
    if (flags2 & ZTSEV_FLAG2_BEFORE) {
        if (integerOf(statement, ZTSEV_SLOT_BEFORE_SLOPE, &g.slopeBefore))
            g.anySlopeGiven = g.slopeBeforeGiven = 1;
        if (integerOf(statement, ZTSEV_SLOT_BEFORE_DURATION, &g.before))
            g.anyDurationGiven = g.beforeGiven = 1;
    }
    if (flags2 & ZTSEV_FLAG2_AFTER) {
        if (integerOf(statement, ZTSEV_SLOT_AFTER_SLOPE, &g.slopeAfter))
            g.anySlopeGiven = g.slopeAfterGiven = 1;
        if (integerOf(statement, ZTSEV_SLOT_AFTER_DURATION, &g.after))
            g.anyDurationGiven = g.afterGiven = 1;
    }
    if (integerOf(statement, ZTSEV_SLOT_SHIFT, &g.shift)) g.shiftGiven = 1;
    if (intervalOf(statement, ZTSEV_SLOT_PULSE, &g.pulse)) g.pulseGiven = 1;
    if (intervalOf(statement, ZTSEV_SLOT_PERIOD, &g.period)) g.periodGiven = 1;
    ztsevApplyRule(statement, event);
}

void ztsevApplyRule(const STATEMENT_NODE *statement, ZTSEV_EVENT *event)
{
    int64_t rule = 0;
    if ((statement->optionBits[1] & ZTSEV_FLAG2_RULE) && integerOf(statement, ZTSEV_SLOT_RULE, &rule)) {
        event->given.ruleGiven = 1;
        event->given.rule = int32_t(rule);
    }
    ztsevApplyLabelLocale(statement, event);
}

void ztsevApplyLabelLocale(const STATEMENT_NODE *statement, ZTSEV_EVENT *event)
{
    const char *text = nullptr;
    int length = 0;
    if (textOf(statement, ZTSEV_SLOT_LABEL, &text, &length)) {
        if (length > ZTSEV_LABEL_SIZE) {
            warnCut("label");
            length = ZTSEV_LABEL_SIZE;
        }
        event->given.labelGiven = 1;
        event->given.labelLength = length;
        event->given.label = text;
    }
    if (textOf(statement, ZTSEV_SLOT_LOCALE, &text, &length)) {
        if (length > ZTSEV_NAME_SIZE) {
            warnCut("locale");
            length = ZTSEV_NAME_SIZE;
        }
        event->given.localeGiven = 1;
        vzmp(text, length, event->given.locale.text, ZTSEV_NAME_SIZE);
        event->given.locale.length = int16_t(length);
        event->locale = event->given.locale;
    }
}
