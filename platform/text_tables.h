/*
 * text_tables.h - the host's character tables that the control block points
 * to: collating sequence (word 0x30), character classes (word 0x40) and the
 * translate tables (word 0xD8).
 */
#ifndef ORV_PLATFORM_TEXT_TABLES_H
#define ORV_PLATFORM_TEXT_TABLES_H

#include <array>
#include <cstdint>

namespace orvhost {

using CharTable = std::array<uint8_t, 256>;

/* Collating weights: lower-case letters fold onto upper case, every other
 * code (blank included) weighs itself. */
const CharTable &collatingTable();

/* Character classes: ORV_CLASS_LETTER for ASCII letters, ORV_CLASS_DIGIT for
 * ASCII digits, 0 otherwise. */
const CharTable &characterClasses();

/* Translate tables by number: 0 and 2 upper-case, 1 and 3 lower-case, 4 the
 * identity (ORV_TRANSLATE_TABLE_COUNT tables). */
const uint8_t *const *translateTables();

}  // namespace orvhost

#endif
