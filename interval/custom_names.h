/*
 * custom_names.h - the interval-name parser's one question to the
 * custom-interval manager: is this text the name of a custom interval?
 *
 * Exports: getcustomname, ZINT_CUSTOM_KNOWN.
 */
#ifndef ORV_INTERVAL_CUSTOM_NAMES_H
#define ORV_INTERVAL_CUSTOM_NAMES_H

/* Result of getcustomname for a name the registry knows. */
constexpr int ZINT_CUSTOM_KNOWN = 65;

/*
 * Asks the custom-interval registry about a name.
 * Inputs: name text (no trailing blanks) and its length.
 * Returns ZINT_CUSTOM_KNOWN when the registry knows the name, 0 when not,
 * or a negative host status when the manager cannot be created.
 */
int getcustomname(const char *name, int length);

#endif
