/*
 * by_text.h - the current BY group's values as message text, such as
 * "region=East, store=12": each BY variable's name, an equals sign and its
 * value, numbers with the variable's format (the shortest number text
 * without one), character values without their trailing blanks.  The
 * dummy writer's notes name the group with it.
 *
 * Exports: KIV_BY_TEXT, kivByTextSetUp, kivByTextRead.
 */
#ifndef ORV_PROCDRIVER_BY_TEXT_H
#define ORV_PROCDRIVER_BY_TEXT_H

#include "procdriver/proc_state.h"

/* Bytes of the text with its NUL; a longer text is cut. */
constexpr int KIV_BY_TEXT_SIZE = 256;

struct KIV_BY_VARIABLE;

/* The BY variables' fetch and the text of the group read last. */
struct KIV_BY_TEXT {
    void *fetch;                  /* moves the BY values of a row into the variables */
    int32_t count;
    KIV_BY_VARIABLE *variables;
    int32_t length;
    char text[KIV_BY_TEXT_SIZE];
};

/* Prepares state->byText for the data set's BY variables (left null
 * without BY variables); out of memory raises 1016 and sets the stop
 * flag. */
void kivByTextSetUp(PROC_STATE *state);

/* Makes the text of the group whose row (the data set's current row) was
 * just read and hands it to the event list (ZTSEV_LIST byText).  Nothing
 * without BY variables. */
void kivByTextRead(PROC_STATE *state, const void *row);

#endif
