/*
 * custom_options.h - the INTERVALDS system option: its entries
 * name=libref.member, the entry that defines a custom interval, and the
 * opening of that entry's data set.
 *
 * Exports: parseIntervalDS, parseIntervalOptions, getCustomIntervalDSRef,
 * zintCustomOpen.
 */
#ifndef ORV_INTERVAL_CUSTOM_OPTIONS_H
#define ORV_INTERVAL_CUSTOM_OPTIONS_H

#include <cstdint>

#include "interval/custom_manager.h"

/*
 * Takes the next entry of an INTERVALDS text (NUL-terminated).  Separators
 * are blank, "(", ")", "," and "="; an entry is a name and a value, the
 * value libref.member or a member alone.
 * Inputs: text; *cursor (null at the start of the text).
 * Outputs: entry (texts blank-padded to 32 characters; the name length is
 * the token's, the library-reference and member lengths those of the
 * tokens' parts, so a length above 32 says the text was cut); *cursor
 * moved past the entry.
 * Returns 0 an entry was taken; 1 no further entry (*cursor = null).
 */
int parseIntervalDS(const char *text, ZINT_CUSTOM_ENTRY *entry, const char **cursor);

/*
 * Reads INTERVALDS afresh (upper-cased) and takes up to *count entries.
 * Outputs: entries; *count the entries taken; *status 0, or 1 when the
 * option text cannot be had.
 */
void parseIntervalOptions(ZINT_CUSTOM_ENTRY *entries, int *count, int *status);

/*
 * The INTERVALDS entry of a custom interval: the entry named by the whole
 * name (multiplier 1, shift 0), or the first entry whose name is followed
 * in desc's name by desc's multiplier m (multiplier m, shift 0), by m, a
 * dot and shift + 1 (multiplier m and desc's shift), or, for m = 1 without
 * a shift, by ".1".  Names are compared upper-cased; desc is not changed.
 * Entries whose texts do not fit their fields are passed over.
 * Outputs: entry (all blanks with lengths 0 when none matches), *multiplier
 * and *shift (-1 when none matches).
 * Returns 0 when an entry matched, 1 when none did.
 */
int getCustomIntervalDSRef(ZINT_CUSTOM_ENTRY *entry, const ZINT_DESC *desc, int32_t *multiplier,
                           int32_t *shift);

/* Opens the data set of an entry for input.  Returns 0 with *handle set,
 * or the open status (not logged). */
int zintCustomOpen(const ZINT_CUSTOM_ENTRY &entry, void **handle);

#endif
