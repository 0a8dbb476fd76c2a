/*
 * number_text.cpp - text form of numbers and missing values.
 */
#include "platform/number_text.h"

#include <bit>
#include <charconv>
#include <cstdint>

namespace orvhost {

std::string numberText(double value)
{
    if (value != value) {
        uint64_t bits = std::bit_cast<uint64_t>(value);
        if ((bits >> 48) == 0xFFFF && (bits & 0xFFFFFFFFFFull) == 0) {
            unsigned code = (bits >> 40) & 0xFF;
            if (code == 0xFF) return "._";
            if (code <= 0xFD && code >= 0xE4) return std::string{'.', char('A' + (0xFD - code))};
        }
        return ".";
    }
    char buffer[32];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

}  // namespace orvhost
