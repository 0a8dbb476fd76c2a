/*
 * statement_options.h - reading an event statement's parse result: the
 * option slots and flag bits the grammar (procdriver/procedures.grammar)
 * gives every event statement, its names, and the options the statements
 * share (qualifiers, RULE=, LABEL=, LOCALE=).
 *
 * Exports: the ZTSEV_SLOT_* slots and ZTSEV_FLAG*_* bits, the ranges
 * ZTSEV_SHIFT_LIMIT, ZTSEV_DURATION_LIMIT and ZTSEV_NUMBER_LIMIT, the
 * messages of the statement handlers, ztsevNameCount, ztsevStatementName,
 * ztsevApplyQualifiers, ztsevApplyRule, ztsevApplyLabelLocale.
 */
#ifndef ORV_EVENT_STATEMENT_OPTIONS_H
#define ORV_EVENT_STATEMENT_OPTIONS_H

#include <cstdint>

#include "event/event_records.h"
#include "host/host_records.h"

/* Option slots of an event statement, one per option (the grammar's E_*
 * defines). */
enum : int {
    ZTSEV_SLOT_IN = 0,              /* EVENTDATA IN= data set */
    ZTSEV_SLOT_NAMES = 1,           /* the statement's own name */
    ZTSEV_SLOT_OUT = 2,             /* EVENTDATA, EVENTDUMMY OUT= data set */
    ZTSEV_SLOT_VALUES = 3,          /* EVENTDEF timing values */
    ZTSEV_SLOT_SECOND = 4,          /* key, members or group word */
    ZTSEV_SLOT_SUMMARY = 5,         /* EVENTDUMMY SUMMARY: a name, or 0 for the default */
    ZTSEV_SLOT_VALUE = 6,
    ZTSEV_SLOT_TCPARM = 7,
    ZTSEV_SLOT_PULSE = 8,           /* ZINT_DESC * */
    ZTSEV_SLOT_BEFORE_DURATION = 9, /* -1 for ALL */
    ZTSEV_SLOT_AFTER_DURATION = 10,
    ZTSEV_SLOT_TYPE = 11,
    ZTSEV_SLOT_BEFORE_SLOPE = 12,
    ZTSEV_SLOT_AFTER_SLOPE = 13,
    ZTSEV_SLOT_LABEL = 14,          /* text */
    ZTSEV_SLOT_PERIOD = 15,         /* ZINT_DESC * */
    ZTSEV_SLOT_SHIFT = 16,
    ZTSEV_SLOT_RULE = 17,
    ZTSEV_SLOT_KEYS = 18,           /* EVENTDEF date-key codes, 19 for a named key */
    ZTSEV_SLOT_USER_KEYS = 19,      /* the names of the code-19 keys, in order */
    ZTSEV_SLOT_LOCALE = 20,         /* text */
    ZTSEV_SLOT_KINDS = 21,          /* timing kind codes, one per value */
    ZTSEV_SLOT_RUNS = 22,           /* run lengths */
    ZTSEV_STATEMENT_SLOTS = 23,
};

/* Flag byte 1 (optionBits[0]) and flag byte 2 (optionBits[1]). */
constexpr uint8_t ZTSEV_FLAG1_IN = 0x40;       /* IN=, member list, TYPE= */
constexpr uint8_t ZTSEV_FLAG1_MEMBERS = 0x40;
constexpr uint8_t ZTSEV_FLAG1_TYPE = 0x40;
constexpr uint8_t ZTSEV_FLAG1_OUT = 0x20;      /* OUT=, group word */
constexpr uint8_t ZTSEV_FLAG1_GROUP_WORD = 0x20;
constexpr uint8_t ZTSEV_FLAG1_CONDENSE = 0x10; /* EVENTDATA: drop default columns */
constexpr uint8_t ZTSEV_FLAG2_BEFORE = 0x08;
constexpr uint8_t ZTSEV_FLAG2_AFTER = 0x04;
constexpr uint8_t ZTSEV_FLAG2_RULE = 0x02;

/* The ranges of the qualifier values the event statements take.  The
 * grammar checks SHIFT= and DURATION= against the same numbers (the parser
 * tests hold it to them); the event data set readers leave out a row with
 * a value outside them, so that no data set gives what no statement can. */
constexpr int64_t ZTSEV_SHIFT_LIMIT = 32767;    /* SHIFT= whole, -32767 to 32767 */
constexpr int64_t ZTSEV_DURATION_LIMIT = 32767; /* DURATION= whole, 0 to 32767, or ALL */
/* VALUE= and TCPARM=: any number a statement can hold. */
constexpr double ZTSEV_NUMBER_LIMIT = ORV_LARGEST_STATEMENT_NUMBER;

/* Messages of the statement handlers (set 883) and the cut-text warning. */
enum : int {
    ZTSEV_MSG_LIMIT_REACHED = 3,
    ZTSEV_MSG_DEFINITIONS_LABEL = 300,
    ZTSEV_MSG_KEY_UNKNOWN = 302,
    ZTSEV_MSG_NOT_GROUP = 303,
    ZTSEV_MSG_MEMBER_UNKNOWN = 304,
    ZTSEV_MSG_MEMBER_REPEATED = 305,
    ZTSEV_MSG_COMB_SELF = 306,
    ZTSEV_MSG_GROUP_SELF = 307,
    ZTSEV_MSG_NO_TIMING = 308,
    ZTSEV_MSG_DUMMIES_LABEL = 310,
    ZTSEV_MSG_NO_SEASONS = 465,
    ZTSEV_MSG_GROUP_UNRESOLVED = 466,
    ZTSEV_MSG_REPEATED_NAME = 500,
    ZTSEV_MSG_DATEKEY_UNKNOWN = 602,
};
constexpr int ZTSEV_MSG_SET_TEXT_CUT = 208;
constexpr int ZTSEV_MSG_TEXT_CUT = 176;

/* Writes note (883, number) with name (length bytes, trailing blanks
 * dropped) as its one argument. */
void ztsevNoteName(int number, const char *name, int length);

/* Number of names in name-list slot `slot` of statement (0 when none). */
int64_t ztsevNameCount(const STATEMENT_NODE *statement, int slot);

/*
 * The i-th name of name-list slot `slot` of statement, left-justified and
 * NUL-terminated in out (33 bytes), as the host delivers it.
 * Returns its length; 0 when there is no such name, or when it is longer
 * than 32 characters (the parser refuses such names, so none is cut).
 */
int ztsevStatementName(const STATEMENT_NODE *statement, int slot, int64_t i, char *out);

/* Sets on event the qualifiers the statement gives: TYPE=, VALUE=,
 * TCPARM=, BEFORE=, AFTER=, SHIFT=, PULSE=, PERIOD=, and RULE=, LABEL=,
 * LOCALE= as ztsevApplyRule and ztsevApplyLabelLocale do. */
void ztsevApplyQualifiers(const STATEMENT_NODE *statement, ZTSEV_EVENT *event);

/* RULE= (flag byte 2 bit 0x02), LABEL= and LOCALE=. */
void ztsevApplyRule(const STATEMENT_NODE *statement, ZTSEV_EVENT *event);

/*
 * LABEL=: label given, length and the parser's text (a length above 256
 * writes (208, 176) "label" and becomes 256).  LOCALE=: given locale and
 * the record's locale, blank-padded (above 32: (208, 176) "locale", cut to
 * 32).
 */
void ztsevApplyLabelLocale(const STATEMENT_NODE *statement, ZTSEV_EVENT *event);

#endif
