/*
 * event_groups.h - predefined group words and their expansion into member
 * events: trend groups (QUADTREND, CUBICTREND), DAYS, MONTHS, WEEKDAYS,
 * SEASONAL and an interval name followed by S (QTRS, DTDAYS, R445MONS ...).
 *
 * Exports: group_name, ZTSEV_GROUP_WORDS, ZTSEVFindGroup,
 * ZTSEVFindGroupPredef.
 */
#ifndef ORV_EVENT_EVENT_GROUPS_H
#define ORV_EVENT_EVENT_GROUPS_H

#include <array>

#include "event/event_records.h"

/* The predefined group words: ".", LINEAR, QUADTREND, CUBICTREND, SEASONAL,
 * WEEKDAYS, each blank-padded to 32 characters. */
constexpr int ZTSEV_GROUP_WORDS = 6;
extern const std::array<std::array<char, ZTSEV_NAME_SIZE>, ZTSEV_GROUP_WORDS> group_name;

/*
 * Expands group word `name` (upper-cased; ends as an event name does) into
 * member names added to *names with ZTSEVAddEventName mode 6, creating the
 * member events through the keyword registry.  series may be null (no
 * series interval).  Returns 0 expanded; ZTSEV_GROUP_LATER (34) when the
 * group is left for list finishing (the word itself is added);
 * ZTSEV_NOT_GROUP (32); for the fixed member lists the status (3 or 4) of
 * the first member that could not be added; ZTSEV_GROUP_MEMBER_FAILED (35)
 * when a season member could not be added, a season group would have more
 * than 10000 members (note 883/464) or a DAY... word is no group;
 * 12 or 23 from the seasonality service; ZTSEV_NO_LIST.
 */
int ZTSEVFindGroup(ZTSEV_LIST *list, const ZTSEV_SERIES *series, const char *name,
                   ZTSEVEventNamelist **names);

/*
 * Resolves predefined group word `name` for a series into the word to
 * expand, written blank-padded into out[0..32) with a NUL after the word
 * (out holds 33 bytes): WEEKDAYS stays; SEASONAL becomes the series
 * interval's name followed by S (MONTHS, DTMONTHS ...); any other word must
 * end in S after an interval name and is kept.  Returns 0;
 * ZTSEV_NO_SERIES (12) without a series block or when the seasonality
 * service reports 2; ZTSEV_NO_SEASONS (23) for other failures or fewer
 * than 2 seasons; ZTSEV_NOT_GROUP (32).
 */
int ZTSEVFindGroupPredef(const char *name, char *out, const ZTSEV_SERIES *series);

#endif
