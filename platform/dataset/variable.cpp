/*
 * variable.cpp - row layout and format texts of data-set variables.
 */
#include "platform/dataset/variable.h"

#include <cctype>

namespace orvhost {

namespace {
constexpr int kLargestFormatWidth = 32767;

/* Reads the decimal digits at text[at...] into *number; false when there are
 * none or they exceed the largest width. */
bool readDigits(std::string_view text, size_t &at, int *number)
{
    size_t start = at;
    long value = 0;
    while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]))) {
        value = value * 10 + (text[at] - '0');
        if (value > kLargestFormatWidth) return false;
        ++at;
    }
    *number = int(value);
    return at > start;
}
}  // namespace

size_t layOutRow(std::vector<Variable> &variables)
{
    size_t offset = 0;
    /* Numbers first keeps every double 8-byte aligned in the row. */
    for (Variable &variable : variables) {
        variable.family = formatFamily(variable.formatName);
        if (variable.type != VariableType::Numeric) continue;
        variable.offset = offset;
        offset += sizeof(double);
    }
    for (Variable &variable : variables) {
        if (variable.type != VariableType::Character) continue;
        variable.offset = offset;
        offset += size_t(variable.length);
    }
    return offset;
}

std::string formatText(std::string_view name, int width, int decimals)
{
    if (name.empty()) return {};
    std::string text(name);
    if (width > 0) text += std::to_string(width);
    text += '.';
    if (decimals > 0) text += std::to_string(decimals);
    return text;
}

bool splitFormatText(std::string_view text, std::string &name, int &width, int &decimals)
{
    name.clear();
    width = decimals = 0;
    size_t at = 0;
    if (at < text.size() && text[at] == '$') name += text[at++];
    while (at < text.size() && (std::isalpha(static_cast<unsigned char>(text[at])) || text[at] == '_'))
        name += char(std::toupper(static_cast<unsigned char>(text[at++])));
    if (name.empty()) return false;
    if (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])) &&
        !readDigits(text, at, &width))
        return false;
    if (at < text.size() && text[at] == '.') {
        ++at;
        if (at < text.size() && !readDigits(text, at, &decimals)) return false;
    }
    return at == text.size();
}

}  // namespace orvhost
