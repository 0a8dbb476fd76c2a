/*
 * interval_names.h - interval names: the parser from text to ZINT_DESC,
 * the writer back to text, the builders from base codes, the retail
 * simplifier and the shift-base interval.
 *
 * Exports: zintstr, zinti2s, zintbase, zintic, zinticms, zintrsimp,
 * zintshft, ZINT_BASE_TEXT_SIZE.
 */
#ifndef ORV_INTERVAL_INTERVAL_NAMES_H
#define ORV_INTERVAL_INTERVAL_NAMES_H

#include "interval/interval_desc.h"

/* Bytes zintbase may write, its NUL included ("DTSEMIMONTH"). */
constexpr int ZINT_BASE_TEXT_SIZE = 12;

/*
 * Parses an interval name such as MONTH, DTHOUR, QTR2.3, WEEKDAY17W or 12.
 * Inputs: text and its length (-1 = NUL-terminated); callers pass names
 * without trailing blanks.  Output: *desc (cleared first, then filled; on a
 * failure it holds whatever was set before the failing step).
 * Returns ZINTSTR_OK; ZINTSTR_NULL for a null text or descriptor;
 * ZINTSTR_BAD_LENGTH for a length outside 1 to 21; ZINTSTR_SYNTAX;
 * ZINTSTR_UNKNOWN for a name that is neither built-in nor custom;
 * ZINTSTR_BAD_MULTIPLIER; ZINTSTR_BAD_SHIFT (also a shift above the code's
 * limit times the multiplier); ZINTSTR_CUSTOM_LOAD when a custom interval
 * cannot be loaded.
 */
int zintstr(const char *text, int length, ZINT_DESC *desc);

/*
 * Writes the canonical name of an interval (a custom interval: its name as
 * typed).  Inputs: buffer, *length = the buffer size, desc.  Outputs: the
 * text with a NUL in buffer and its length in *length.
 * Returns 0; 101 when text and NUL do not fit (nothing is copied); 1001 for
 * a null buffer, length or descriptor.
 */
int zinti2s(char *buffer, int *length, const ZINT_DESC *desc);

/*
 * Writes the base name of desc's code ("NONE" for a code without one) with
 * the "DT" prefix for a calendar code of kind 's', NUL-terminated; its
 * length goes to *length.  REQUIRES: text holds ZINT_BASE_TEXT_SIZE bytes.
 * Returns 0.
 */
int zintbase(char *text, int *length, const ZINT_DESC *desc);

/*
 * The descriptor of a plain base interval (multiplier 1, no shift).
 * Returns 0, or 1 for a code without a name: every code but 0, 1, 10, 15,
 * 20, 25, 27, 30, 31, 35, 40, 45 to 48, 50 to 53, 55, 60 and 64.
 */
int zintic(int code, ZINT_DESC *desc);

/*
 * The descriptor of base code `code` with multiplier (0 = none) and shift as
 * written, 1-based (0 = none), parsed from its text: (25, 1, 1) parses
 * DAY1.1.  Returns zintstr's status; 1 for a negative multiplier, 2 for a
 * negative shift, 103 for a code zintic does not know.
 */
int zinticms(int code, int multiplier, int shift, ZINT_DESC *desc);

/*
 * Rewrites a retail month or quarter multiple, or a WEEKV multiple, as the
 * longest interval it equals (R445MON12 becomes R445YR, WEEKV104 YEARV2);
 * kind and shift stay, the name is rewritten.  Returns 0 (simplified, or
 * already simplest), 1 for any other interval, 2 for a null descriptor.
 * A descriptor whose rewritten name would not fit the name field is left
 * unchanged.
 */
int zintrsimp(ZINT_DESC *desc);

/*
 * The interval in which desc's shift is counted (QTR: MONTH, WEEK: DAY,
 * YEARV: WEEKV, WEEKDAY: WEEKDAY with the same days off ...), kind 's' for
 * an interval of kind 's'.  Returns 0, or 2 for an unknown code or a null
 * argument (the output, when given, is cleared).
 */
int zintshft(const ZINT_DESC *desc, ZINT_DESC *shiftBase);

#endif
