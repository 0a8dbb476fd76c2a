/*
 * service_args.h - conventions of the host-service argument lists.
 *
 * The message services (xpmlog, xpmrlog, xpmstr, xpmrstr) take their message
 * arguments as a list of typed items after the fixed parameters: a type code,
 * then the value.  The list ends with ORV_MSG_END.
 *   ORV_MSG_INT,  long value
 *   ORV_MSG_DBL,  double value
 *   ORV_MSG_TEXT, int length, const char *text (need not be NUL-terminated)
 */
#ifndef ORV_SERVICE_ARGS_H
#define ORV_SERVICE_ARGS_H

enum : int {
    ORV_MSG_END = 0,
    ORV_MSG_INT = 1,
    ORV_MSG_DBL = 2,
    ORV_MSG_TEXT = 3,
};

/* Upper bound on the typed items the host reads from one call; a list that
 * runs past it is cut there, so a missing ORV_MSG_END cannot walk the stack. */
constexpr int ORV_MSG_MAX_ITEMS = 16;

/* A generic code pointer handed to or returned by host services. */
using orv_routine = void (*)(void);

#endif
