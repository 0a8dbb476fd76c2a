/*
 * text_tables.cpp - builds the host's character tables.
 */
#include "platform/text_tables.h"

#include "host/host_records.h"

namespace orvhost {
namespace {

constexpr bool isLower(int c) { return c >= 'a' && c <= 'z'; }
constexpr bool isUpper(int c) { return c >= 'A' && c <= 'Z'; }

constexpr CharTable upperCase()
{
    CharTable table{};
    for (int c = 0; c < 256; ++c) table[c] = uint8_t(isLower(c) ? c - 'a' + 'A' : c);
    return table;
}

constexpr CharTable lowerCase()
{
    CharTable table{};
    for (int c = 0; c < 256; ++c) table[c] = uint8_t(isUpper(c) ? c - 'A' + 'a' : c);
    return table;
}

constexpr CharTable identity()
{
    CharTable table{};
    for (int c = 0; c < 256; ++c) table[c] = uint8_t(c);
    return table;
}

constexpr CharTable classes()
{
    CharTable table{};
    for (int c = 0; c < 256; ++c)
        table[c] = isLower(c) || isUpper(c) ? ORV_CLASS_LETTER
                   : (c >= '0' && c <= '9') ? ORV_CLASS_DIGIT
                                            : 0;
    return table;
}

constexpr CharTable kUpper = upperCase();
constexpr CharTable kLower = lowerCase();
constexpr CharTable kIdentity = identity();
constexpr CharTable kClasses = classes();
const uint8_t *const kTranslate[ORV_TRANSLATE_TABLE_COUNT] = {
    kUpper.data(), kLower.data(), kUpper.data(), kLower.data(), kIdentity.data()};

}  // namespace

const CharTable &collatingTable() { return kUpper; }
const CharTable &characterClasses() { return kClasses; }
const uint8_t *const *translateTables() { return kTranslate; }

}  // namespace orvhost
