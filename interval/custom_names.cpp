/*
 * custom_names.cpp - getcustomname (see custom_names.h).
 *
 * This build has no custom-interval manager yet, so no interval data set
 * can be registered: the registry is empty and every name is unknown.  The
 * manager replaces this body; the parser's call stays as it is.
 */
#include "interval/custom_names.h"

int getcustomname(const char *name, int length)
{
    (void)name;
    (void)length;
    return 0;
}
