/*
 * custom_options.h - the INTERVALDS system option: its entries
 * name=libref.member, the entry that defines a custom interval, and the
 * opening of that entry's data set.
 *
 * Exports: ZINT_CUSTOM_ENTRY, ZINT_CUSTOM_FIELD, ZINT_CUSTOM_LIBREF_MAX,
 * zintCustomEntryUsable, parseIntervalDS, parseIntervalOptions,
 * getCustomIntervalDSRef, zintCustomOpen.
 */
#ifndef ORV_INTERVAL_CUSTOM_OPTIONS_H
#define ORV_INTERVAL_CUSTOM_OPTIONS_H

#include <cstddef>
#include <cstdint>

#include "interval/interval_desc.h"

/* An INTERVALDS entry.  The fields hold 32 characters, blank-padded; a
 * length above the field's size says the text was longer (the entry is
 * then not usable). */
constexpr int ZINT_CUSTOM_FIELD = 32;
constexpr int ZINT_CUSTOM_LIBREF_MAX = 8;

struct ZINT_CUSTOM_ENTRY {
    int16_t nameLength;                /* 0 */
    char name[ZINT_CUSTOM_FIELD];      /* 2 */
    int16_t librefLength;              /* 34 */
    char libref[ZINT_CUSTOM_FIELD];    /* 36 */
    int16_t memberLength;              /* 68 */
    char member[ZINT_CUSTOM_FIELD];    /* 70 */
};
static_assert(offsetof(ZINT_CUSTOM_ENTRY, name) == 2);
static_assert(offsetof(ZINT_CUSTOM_ENTRY, librefLength) == 34);
static_assert(offsetof(ZINT_CUSTOM_ENTRY, libref) == 36);
static_assert(offsetof(ZINT_CUSTOM_ENTRY, memberLength) == 68);
static_assert(offsetof(ZINT_CUSTOM_ENTRY, member) == 70);
static_assert(sizeof(ZINT_CUSTOM_ENTRY) == 102);

/* True when the entry's texts fit their fields (name and member 32
 * characters, library reference 8) and the name and member are not
 * empty. */
bool zintCustomEntryUsable(const ZINT_CUSTOM_ENTRY &entry);

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
