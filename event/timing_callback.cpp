/*
 * timing_callback.cpp - the parser's action callback that groups EVENTDEF's
 * timing values into kinds and runs while the host parses, and its
 * installation (ZTSEVInit, ZTSEVCustom of event_statements.h).
 */
#include "event/event_statements.h"

#include "host/parser_glue.h"
#include "host/services.h"

namespace {

/* Bytes of one value of the kind and run lists (doubles). */
constexpr int kItemBytes = sizeof(double);

/* Sets the parse status unless one is set already. */
void fail(PARSE_CONTROL *control, int status)
{
    if (control->status == 0) control->status = int16_t(status);
}

/* Appends value to a list slot; false (with the parse status set) when
 * the host refuses.  The host's memory message is written here: the option
 * reader ends the step with the status alone. */
bool append(PARSE_CONTROL *control, OPTION_SLOT *list, double value)
{
    int status = zaddlst(list, &value, kItemBytes);
    if (status == 0) return true;
    if (status == -1) xmemmsg(xmemdef());
    fail(control, status == -1 ? ZTSEV_PARSE_NO_MEMORY : ZTSEV_PARSE_BAD_TIMING);
    return false;
}

bool timingKind(int kind)
{
    return kind == ZTSEV_KIND_OBS || kind == ZTSEV_KIND_DATE || kind == ZTSEV_KIND_STATEMENT_DATE ||
           kind == ZTSEV_KIND_DATETIME;
}

/* Start of a group: its kind code and the count of values before it. */
void groupStart(PARSE_CONTROL *control, const PARSE_TOKEN *token, const PARSE_ACTION *action,
                OPTION_SLOT *kinds, OPTION_SLOT *runs)
{
    if (!timingKind(token->kind)) {
        fail(control, ZTSEV_PARSE_BAD_TIMING);
        return;
    }
    double code = double(token->kind) * ZTSEV_KIND_SCALE + token->subKind;
    if (!append(control, kinds, code) || !append(control, kinds, double(action->listCount))) return;
    kinds->given = runs->given = ORV_SLOT_LIST;
    kinds->type = runs->type = ORV_SLOT_DOUBLE;
}

/* End of a group: its run length, and its kind code once per value. */
void groupEnd(PARSE_CONTROL *control, const PARSE_ACTION *action, OPTION_SLOT *kinds, OPTION_SLOT *runs)
{
    if (kinds->given != ORV_SLOT_LIST || kinds->value.count < 2 || kinds->items == nullptr) {
        fail(control, ZTSEV_PARSE_BAD_TIMING);
        return;
    }
    const double *entries = static_cast<const double *>(kinds->items);
    double code = entries[kinds->value.count - 2];
    double n = double(action->listCount) - entries[kinds->value.count - 1];
    if (!(n >= 0 && n <= double(action->listCount))) {
        fail(control, ZTSEV_PARSE_BAD_TIMING);
        return;
    }
    if (!append(control, runs, n)) return;
    kinds->value.count -= 2;
    for (int64_t i = 0; i < int64_t(n); ++i)
        if (!append(control, kinds, code)) return;
}

}  // namespace

void *ZTSEVInit()
{
    orvParseControl()->actionCallback = ZTSEVCustom;
    return v_global_gcb_anchor->instance;
}

int ZTSEVCustom(void *parseControl, const PARSE_TOKEN *token, const PARSE_ACTION *action)
{
    auto *control = static_cast<PARSE_CONTROL *>(parseControl);
    /* After a fault the parse result is never read: the option reader ends
     * the step with the status, and the parser goes on reporting faults. */
    if (control == nullptr || control->status != 0) return 0;
    if (token == nullptr || action == nullptr || action->code != ORV_ACTION_TIMING ||
        action->argumentCount < 3 || action->options == nullptr || action->arguments[1] < 0 ||
        action->arguments[2] < 0)
        return 0;
    OPTION_SLOT *kinds = &action->options[action->arguments[1]];
    OPTION_SLOT *runs = &action->options[action->arguments[2]];
    if (action->arguments[0] == ORV_TIMING_GROUP_START)
        groupStart(control, token, action, kinds, runs);
    else if (action->arguments[0] == ORV_TIMING_GROUP_END)
        groupEnd(control, action, kinds, runs);
    return 0;
}
