/*
 * time_text.h - how the step shows a time value (START=, END=, a time ID) in
 * its messages: with the time ID's display format, else by the interval's
 * kind, so that a date reads 01MAR2019 and not 21609.
 *
 * Exports: KIV_TIME_TEXT_SIZE, kivChooseTimeFormat, kivTimeText, kivValueText.
 */
#ifndef ORV_PROCDRIVER_TIME_TEXT_H
#define ORV_PROCDRIVER_TIME_TEXT_H

#include "procdriver/proc_state.h"

/* Bytes kivTimeText may write: the widest text and its NUL. */
constexpr int KIV_TIME_TEXT_SIZE = 41;

/*
 * Settles state->timeFormat once the options are read: a format already
 * chosen there (FORMAT=, else the ID variable's own) stays; otherwise
 * DATE9. for a date interval (kind 'd'), DATETIME19. for a time or
 * datetime interval ('s'), and no format (a plain number) for the rest.
 */
void kivChooseTimeFormat(PROC_STATE *state, char intervalKind);

/*
 * Writes value with state->timeFormat into buffer, left-justified, without
 * trailing blanks and followed by a NUL; a plain number when the format
 * cannot show it.  A width of 0 is the format's default width.
 * REQUIRES: buffer holds KIV_TIME_TEXT_SIZE bytes.
 * Returns the text's length.
 */
int kivTimeText(const PROC_STATE *state, double value, char *buffer);

/* The same with the format code and width given (a width of 0 or below
 * is the format's default width; ORV_NO_FORMAT a plain number). */
int kivValueText(int64_t code, int width, double value, char *buffer);

#endif
