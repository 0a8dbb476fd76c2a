/*
 * event_data_rows.cpp - the rows of the event definition data set (see
 * event_data_rows.h).
 */
#include "event/event_data_rows.h"

#include <cstring>

#include "event/event_rules.h"
#include "event/event_support.h"
#include "host/missing_values.h"
#include "host/services.h"
#include "host/text_fields.h"
#include "interval/holidays.h"
#include "interval/intck.h"
#include "interval/interval_detect.h"
#include "interval/interval_fit.h"
#include "interval/interval_names.h"
#include "interval/intnx.h"

namespace {

constexpr int kTextSet = 883;
/* Holiday date keys are (883, n) with their labels at (883, 8000 + n). */
constexpr int kHolidayLabelBase = 8000;
/* Notes of events with nothing to write, and the words they use. */
enum : int {
    kNoteNoTiming = 479,
    kNoteNoMembers = 480,
    kTextDataSet = 475,
    kTextDateKeyDataSet = 476,
    kTextSimpleEvent = 477,
    kTextDateKey = 478,
};
/* Locale of each holiday key: -1 is the host's current locale. */
constexpr int datekey_localeid_t[ZHOL_LAST_CODE - ZHOL_FIRST_CODE + 1] = {
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
/* Longest interval name written to an interval column. */
constexpr int kIntervalNameMax = 16;
constexpr double kDefaultTcParm = 0.5;

template <typename Field>
void setText(Field *field, const char *text, int length)
{
    vzmpc(text, length, &field->length, field->text, int(sizeof field->text));
}

template <typename Field>
void setWord(Field *field, const char *word)
{
    setText(field, word, int(std::strlen(word)));
}

/* The name of an interval that was given and has a base code, else ".". */
void setInterval(ORV_COUNTED_NAME *field, int32_t given, const ZINT_DESC &interval)
{
    char name[ZINT_NAME_MAX + 2];
    int length = int(sizeof name);
    if (given != 0 && interval.code != ZINT_NONE && zinti2s(name, &length, &interval) == 0)
        setText(field, name, length);
    else
        setWord(field, ".");
}

double allMissing() { return v_global_gcb_anchor->values->allMissing; }

int kindOf(double kindCode) { return int(kindCode) / ZTSEV_KIND_SCALE; }

char letterOf(int kind) { return kind == ZTSEV_KIND_OBS ? 'o' : kind == ZTSEV_KIND_DATETIME ? 's' : 'd'; }

/* The interval as the reader will take it back from the row: by its name
 * (at most 16 characters), or for observation numbers OBS with the
 * multiplier.  False when it cannot be written. */
bool describe(const ZINT_DESC &fit, int kind, ZTSEV_RUN_ROW *row, ZINT_DESC *readBack)
{
    if (kind == ZTSEV_KIND_OBS) {
        if (fit.code != ZINT_OBS || zintstr("OBS", 3, readBack) != 0) return false;
        readBack->multiplier = fit.multiplier;
        row->multiplier = double(fit.multiplier);
        return true;
    }
    /* Far from the present, dates are large enough for an interval of
     * seconds to fit them; such an interval does not step dates (nor a
     * date interval datetimes), and the run is written in other rows. */
    if (fit.kind != letterOf(kind)) return false;
    char name[ZINT_NAME_MAX + 2];
    int length = int(sizeof name);
    if (fit.code == ZINT_NONE || zinti2s(name, &length, &fit) != 0 || length > kIntervalNameMax) return false;
    if (zintstr(name, length, readBack) != 0) return false;
    setText(&row->interval, name, length);
    return true;
}

/* True when the reader's grid from v[0] to v[n - 1] by interval gives
 * exactly v[0 .. n). */
bool exact(const ZINT_DESC &interval, const double *v, int64_t n)
{
    const double count = zintck2(&interval, v[0], v[n - 1]);
    if (orvIsMissing(count) || count + 1 != double(n)) return false;
    for (int64_t i = 1; i < n; ++i)
        if (zintnx4(&interval, 'S', v[0], double(i)) != v[i]) return false;
    return true;
}

/* The longest exact sub-run from v[0] (at least 2 values), or 1. */
int64_t exactPrefix(const double *v, int64_t n, int kind, ZTSEV_RUN_ROW *row)
{
    if (n < 2) return 1;
    ZINT_DESC fit{}, readBack{};
    const char letter[] = {letterOf(kind), 0};
    if (zintfit(letter, &fit, nullptr, v[0], v[1]) != 0 || !describe(fit, kind, row, &readBack)) return 1;
    int64_t q = 1;
    while (q + 1 < n && zintnx4(&readBack, 'S', v[0], double(q + 1)) == v[q + 1]) ++q;
    while (q > 0 && !exact(readBack, v, q + 1)) --q;
    return q + 1;
}

/* The row state shared by the event walk. */
struct Walk {
    ZTSEV_LIST *list;
    const ZTSEV_DSREC &form;
    ztsev_row_writer write;
    void *context;
    int64_t rows = 0;

    void put()
    {
        write(context);
        ++rows;
    }
};

void putName(ZTSEV_ROWBUF *row, const ZTSEV_EVENT *event)
{
    setText(&row->name, event->name.text, event->name.length);
    if (event->given.localeGiven != 0 && event->locale.length > 0)
        setText(&row->locale, event->locale.text, event->locale.length);
    else
        setWord(&row->locale, ".");
    if (event->given.labelGiven != 0 && event->label != nullptr)
        setText(&row->label, event->label, event->labelLength);
    else
        setWord(&row->label, ".");
}

/* The qualifier columns of SIMPLE, DATEKEY and PREDEF events. */
void putQualifiers(ZTSEV_LIST *list, const ZTSEV_EVENT *event)
{
    ZTSEV_ROWBUF *row = &list->outRow;
    const ZTSEV_EFFECTIVE &e = event->effective;
    ZTSEVType2Outbuf(list, event);
    row->value = e.value;
    setInterval(&row->pulse, event->given.pulseGiven, e.pulse);
    ZTSEVDurSlope2Outbuf(list, event);
    row->shift = double(e.shift);
    row->tcParm = e.tcParm;
    row->rule.length = int16_t(ZTSEVRuleFlag2Char(e.rule, row->rule.text));
    setInterval(&row->period, event->given.periodGiven, e.period);
}

/* One row per date key, then one or more per run of timing values. */
void putTiming(Walk &walk, const ZTSEV_EVENT *event)
{
    ZTSEV_ROWBUF *row = &walk.list->outRow;
    ZTSEVClearIOBUFDates(row);
    for (int64_t k = 0; k < event->datekeyCount; ++k) {
        setText(&row->keyName, event->datekeyNames[k].text, event->datekeyNames[k].length);
        walk.put();
    }
    setWord(&row->keyName, ".");
    int64_t at = 0;
    for (int64_t r = 0; r < event->runCount; ++r) {
        const int64_t n = event->runLengths[r];
        const double *v = event->timingValues + at;
        const int kind = kindOf(event->timingKinds[at]);
        at += n;
        for (const ZTSEV_RUN_ROW &part : ztsevRunRows(v, n, kind)) {
            ZTSEVClearIOBUFDates(row);
            const double first = v[part.first], last = v[part.first + part.count - 1];
            const bool span = part.count > 1;
            if (kind == ZTSEV_KIND_DATETIME) {
                row->startDatetime = first;
                if (span) {
                    row->endDatetime = last;
                    setText(&row->dtInterval, part.interval.text, part.interval.length);
                }
            } else if (kind == ZTSEV_KIND_OBS) {
                row->startObs = first;
                if (span) {
                    row->endObs = last;
                    row->obsInterval = part.multiplier;
                }
            } else {
                row->startDate = first;
                if (span) {
                    row->endDate = last;
                    setText(&row->dateInterval, part.interval.text, part.interval.length);
                }
            }
            walk.put();
        }
    }
}

/* A note on an event with nothing to write: its name, what it is and the
 * kind of data set. */
void noteNothing(const Walk &walk, const ZTSEV_EVENT *event, int note, int what)
{
    const char *whatText = nullptr, *whereText = nullptr;
    int whatLength = 0, whereLength = 0;
    wkread(kTextSet, what, &whatText, &whatLength);
    wkread(kTextSet, walk.form.outputMode == 2 ? kTextDateKeyDataSet : kTextDataSet, &whereText, &whereLength);
    xpmrlog(ztsevLogHandle(), kTextSet, note, ORV_MSG_TEXT, int(event->name.length), event->name.text, ORV_MSG_TEXT,
            whatLength, whatText, ORV_MSG_TEXT, whereLength, whereText, ORV_MSG_END);
}

void putEvent(Walk &walk, const ZTSEV_EVENT *event)
{
    ZTSEV_LIST *list = walk.list;
    ZTSEV_ROWBUF *row = &list->outRow;
    putName(row, event);
    if (walk.form.namesOnly != 0) {
        walk.put();
        return;
    }
    const int32_t cls = event->cls;
    setWord(&row->cls, ztsevClassKeyword(cls));
    switch (cls) {
    case ZTSEV_CLASS_SIMPLE:
    case ZTSEV_CLASS_DATEKEY:
        if (event->datekeyCount == 0 && event->timingCount == 0) {
            noteNothing(walk, event, kNoteNoTiming, cls == ZTSEV_CLASS_SIMPLE ? kTextSimpleEvent : kTextDateKey);
            return;
        }
        putQualifiers(list, event);
        putTiming(walk, event);
        return;
    case ZTSEV_CLASS_PREDEF:
        ZTSEVClearIOBUFDates(row);
        putQualifiers(list, event);
        if (event->members != nullptr)
            setText(&row->keyName, event->members->name.text, event->members->name.length);
        else
            setWord(&row->keyName, ".");
        walk.put();
        return;
    case ZTSEV_CLASS_COMB:
    case ZTSEV_CLASS_COMPLEX:
    case ZTSEV_CLASS_PREDEFCOMP:
        if (event->members == nullptr) {
            const bool dateKeys = walk.form.outputMode == 2;
            noteNothing(walk, event, kNoteNoMembers, dateKeys ? kTextDateKey : kTextSimpleEvent);
            return;
        }
        for (auto *field : {&row->type, &row->pulse, &row->period, &row->slopeBefore, &row->slopeAfter})
            setWord(field, ".");
        ZTSEVClearIOBUFDates(row);
        row->value = row->durationBefore = row->durationAfter = row->shift = row->tcParm = orvMissing();
        if (cls == ZTSEV_CLASS_COMB)
            row->rule.length = int16_t(ZTSEVRuleFlag2Char(event->effective.rule, row->rule.text));
        else
            setWord(&row->rule, ".");
        for (const ZTSEVEventNamelist *m = event->members; m != nullptr; m = m->next) {
            setText(&row->keyName, m->name.text, m->name.length);
            walk.put();
        }
        return;
    default: return;
    }
}

/* The holiday keys the list does not define as DATEKEY events. */
void putHolidayKeys(Walk &walk)
{
    ZTSEV_ROWBUF *row = &walk.list->outRow;
    char locale[ZTSEV_NAME_SIZE];
    for (int n = ZHOL_FIRST_CODE; n <= ZHOL_LAST_CODE; ++n) {
        const char *name = nullptr, *label = nullptr;
        int nameLength = 0, labelLength = 0;
        if (wkread(kTextSet, n, &name, &nameLength) != 0) continue;
        bool defined = false;
        for (const ZTSEV_EVENT *e = walk.list->first; e != nullptr && !defined; e = e->next)
            defined = e->cls == ZTSEV_CLASS_DATEKEY && ztsevSameName(e->name.text, e->name.length, name, nameLength);
        if (defined) continue;
        setText(&row->name, name, nameLength);
        if (wkread(kTextSet, kHolidayLabelBase + n, &label, &labelLength) == 0)
            setText(&row->label, label, labelLength);
        else
            setWord(&row->label, ".");
        const int id = datekey_localeid_t[n - ZHOL_FIRST_CODE];
        const int length = id < 0 ? wztxgcli(locale, int(sizeof locale)) : wztxgln(id, locale, int(sizeof locale));
        if (length > 0)
            setText(&row->locale, locale, length);
        else
            setWord(&row->locale, ".");
        walk.put();
    }
}

}  // namespace

void ZTSEVInitBuf(ZTSEV_ROWBUF *row)
{
    for (ORV_COUNTED_NAME *field : {&row->locale, &row->cls, &row->keyName, &row->dateInterval, &row->dtInterval,
                                    &row->type, &row->pulse, &row->slopeBefore, &row->slopeAfter, &row->rule,
                                    &row->period})
        setWord(field, ".");
    setWord(&row->label, ".");
    row->startDate = row->endDate = row->startDatetime = row->endDatetime = orvMissing();
    row->startObs = row->endObs = row->obsInterval = orvMissing();
    row->value = row->shift = row->tcParm = orvMissing();
    row->durationBefore = row->durationAfter = 0;
}

void ZTSEVClearIOBUFDates(ZTSEV_ROWBUF *row)
{
    row->startDate = row->endDate = row->startDatetime = row->endDatetime = orvMissing();
    row->startObs = row->endObs = row->obsInterval = orvMissing();
    vzmp(".", 1, row->dateInterval.text, ZTSEV_NAME_SIZE);
    vzmp(".", 1, row->dtInterval.text, ZTSEV_NAME_SIZE);
}

void ZTSEVType2Outbuf(ZTSEV_LIST *list, const ZTSEV_EVENT *event)
{
    setWord(&list->outRow.type, ztsevTypeKeyword(event->effective.type));
}

void ZTSEVDurSlope2Outbuf(ZTSEV_LIST *list, const ZTSEV_EVENT *event)
{
    ZTSEV_ROWBUF *row = &list->outRow;
    const ZTSEV_EFFECTIVE &e = event->effective;
    row->durationBefore = e.before == 0 ? allMissing() : double(e.before - 1);
    row->durationAfter = e.after == 0 ? allMissing() : double(e.after - 1);
    setWord(&row->slopeBefore, ztsevSlopeKeyword(e.slopeBefore));
    setWord(&row->slopeAfter, ztsevSlopeKeyword(e.slopeAfter));
}

void ZTSEVCheckMissDataOut(const ZTSEV_LIST *list, const ZTSEV_DSREC *record, uint8_t drop[ZTSEV_COLUMN_COUNT])
{
    const ZTSEV_DSREC &form = *record;
    std::memset(drop, 1, ZTSEV_COLUMN_COUNT);
    drop[ZTSEV_COL_NAME] = 0;
    auto keep = [&](int column, bool needed) {
        if (needed) drop[column] = 0;
    };
    for (const ZTSEV_EVENT *e = list->first; e != nullptr; e = e->next) {
        const int32_t cls = e->cls;
        const ZTSEV_EFFECTIVE &q = e->effective;
        keep(ZTSEV_COL_LOCALE, e->given.localeGiven != 0);
        keep(ZTSEV_COL_CLASS, cls != ZTSEV_CLASS_SIMPLE);
        keep(ZTSEV_COL_KEYNAME, cls == ZTSEV_CLASS_COMB || cls == ZTSEV_CLASS_COMPLEX || cls == ZTSEV_CLASS_PREDEFCOMP ||
                                    cls == ZTSEV_CLASS_PREDEF || e->datekeyCount > 0);
        keep(ZTSEV_COL_LABEL, e->given.labelGiven != 0);
        int64_t at = 0;
        for (int64_t r = 0; r < e->runCount; ++r) {
            const int kind = kindOf(e->timingKinds[at]);
            const bool span = e->runLengths[r] > 1;
            at += e->runLengths[r];
            const int start = kind == ZTSEV_KIND_OBS        ? ZTSEV_COL_STARTOBS
                              : kind == ZTSEV_KIND_DATETIME ? ZTSEV_COL_STARTDT
                                                            : ZTSEV_COL_STARTDATE;
            keep(start, true);
            keep(start + 1, span);
            keep(start + 2, span);
        }
        keep(ZTSEV_COL_TYPE, q.type != ZTSEV_TYPE_POINT);
        keep(ZTSEV_COL_PULSE, e->given.pulseGiven != 0 && q.pulse.code != ZINT_NONE);
        keep(ZTSEV_COL_PERIOD, e->given.periodGiven != 0 && q.period.code != ZINT_NONE);
        if (cls != ZTSEV_CLASS_COMB && cls != ZTSEV_CLASS_COMPLEX && cls != ZTSEV_CLASS_PREDEFCOMP) {
            keep(ZTSEV_COL_VALUE, q.value != 1.0);
            keep(ZTSEV_COL_DUR_BEFORE, q.before != 1);
            keep(ZTSEV_COL_DUR_AFTER, q.after != 1);
            keep(ZTSEV_COL_SHIFT, q.shift != 0);
            keep(ZTSEV_COL_TCPARM, q.tcParm != kDefaultTcParm);
            keep(ZTSEV_COL_SLOPE_BEF, q.slopeBefore != ZTSEV_SLOPE_GROWTH);
            const int32_t slopeAfter = q.type == ZTSEV_TYPE_TC ? ZTSEV_SLOPE_DECAY : ZTSEV_SLOPE_GROWTH;
            keep(ZTSEV_COL_SLOPE_AFT, q.slopeAfter != slopeAfter);
        }
        if (form.outputMode == 2)
            keep(ZTSEV_COL_RULE, !(cls == ZTSEV_CLASS_DATEKEY && q.rule == ZTSEV_RULE_OR));
        else
            keep(ZTSEV_COL_RULE,
                 cls != ZTSEV_CLASS_COMPLEX && cls != ZTSEV_CLASS_PREDEFCOMP && q.rule != ZTSEV_RULE_ADD);
    }
}

std::vector<ZTSEV_RUN_ROW> ztsevRunRows(const double *values, int64_t n, int kind)
{
    std::vector<ZTSEV_RUN_ROW> rows;
    if (n <= 0) return rows;
    if (n > 1) {
        ZTSEV_RUN_ROW whole{0, n, {}, 0};
        ZINT_DESC fit{}, readBack{};
        const char letter[] = {letterOf(kind), 0};
        const int found = n == 2 ? zintfit(letter, &fit, nullptr, values[0], values[1])
                                 : zintdgv(values, n, &fit, nullptr);
        if ((found == 0 || (n > 2 && found == 1)) && describe(fit, kind, &whole, &readBack) &&
            exact(readBack, values, n)) {
            rows.push_back(whole);
            return rows;
        }
    }
    for (int64_t p = 0; p < n;) {
        ZTSEV_RUN_ROW part{p, 1, {}, 0};
        part.count = exactPrefix(values + p, n - p, kind, &part);
        rows.push_back(part);
        p += part.count;
    }
    return rows;
}

int64_t ztsevPutEventRows(ZTSEV_LIST *list, const ZTSEV_DSREC *record, ztsev_row_writer write, void *context)
{
    Walk walk{list, *record, write, context};
    ZTSEVInitBuf(&list->outRow);
    if (record->namesOnly != 0 && record->flag4 != 0) putHolidayKeys(walk);
    for (const ZTSEV_EVENT *event = list->first; event != nullptr; event = event->next) putEvent(walk, event);
    return walk.rows;
}
