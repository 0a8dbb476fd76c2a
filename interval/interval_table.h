/*
 * interval_table.h - the table of built-in base codes and the names the
 * parser accepts for them.
 *
 * Exports: ZintBaseEntry, zintBaseEntry (lookup by code), getname (lookup
 * by upper-case stem), zintBaseEntries (the whole table, for tests).
 */
#ifndef ORV_INTERVAL_INTERVAL_TABLE_H
#define ORV_INTERVAL_INTERVAL_TABLE_H

#include <cstdint>
#include <span>

/* One built-in base code. */
struct ZintBaseEntry {
    uint8_t code;
    const char *name;      /* the name zintbase writes, without DT prefix */
    int shiftLimit;        /* largest written shift per unit of multiplier */
    uint8_t shiftBaseCode; /* code of the interval the shift is counted in */
    bool hasDtForm;        /* false for NONE, OBS and custom intervals */
};

/* The entry of a base code, or null for a code without one. */
const ZintBaseEntry *zintBaseEntry(int code);

/* Every entry, in code order (custom code 65 last). */
std::span<const ZintBaseEntry> zintBaseEntries();

/*
 * Base code of an accepted interval name.
 * Inputs: stem, the upper-case name without DT/T prefix and tail, and its
 * length.  Returns the base code, or -1 when the stem is no built-in name
 * (also for a null stem or a length below 1).
 */
int getname(const char *stem, int stemLength);

#endif
