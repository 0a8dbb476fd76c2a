/*
 * parse_dump.cpp - the readable dump of a parse result
 * (platform/parser/parse_dump.h).
 */
#include "platform/parser/parse_dump.h"

#include <bit>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <string_view>

#include "host/missing_values.h"
#include "interval/interval_desc.h"
#include "platform/formats.h"
#include "platform/parser/parse_result.h"

namespace orvhost {
namespace {

constexpr const char *kPrefix = "PARSE: ";

/* Option names of the procedure statement's slots. */
const char *procedureSlotName(int k)
{
    switch (k) {
    case 0: return "BY";
    case 1: return "DATA";
    case 2: return "VAR";
    case 3: return "ID";
    case 4: return "INTERVAL";
    case 5: return "ALIGN";
    case 6: return "SEASONALITY";
    case 7: return "LEAD";
    case 8: return "STARTSUM";
    case 9: return "ACCUMULATE";
    case 10: return "SETMISSING code";
    case 15: return "SETMISSING value";
    case 18: return "START date";
    case 19: return "START time";
    case 20: return "START datetime";
    case 21: return "END date";
    case 22: return "END time";
    case 23: return "END datetime";
    case 24: return "BACK";
    case 25: return "MAXERROR";
    case 26: return "ZEROMISS";
    case 46: return "FORMAT";
    default: return nullptr;
    }
}

/* Option names of the event statements' slots (EVENTDEF, EVENTKEY,
 * EVENTCOMB, EVENTGROUP, EVENTDATA, EVENTDUMMY). */
const char *eventSlotName(int k)
{
    static const char *const names[] = {
        "IN", "NAMES", "OUT", "VALUES", "SECOND NAMES", "SUMMARY", "VALUE", "TCPARM",
        "PULSE", "BEFORE DURATION", "AFTER DURATION", "TYPE", "BEFORE SLOPE", "AFTER SLOPE",
        "LABEL", "PERIOD", "SHIFT", "RULE", "DATE KEYS", "USER KEYS", "LOCALE", "KINDS", "RUNS",
    };
    return k >= 0 && k < int(std::size(names)) ? names[k] : nullptr;
}

bool isEventStatement(const STATEMENT_NODE &node)
{
    return node.nameLength > 5 && std::string_view(node.name, 5) == "EVENT";
}

std::string numberText(double value)
{
    if (orvIsMissing(value)) {
        uint64_t bits = std::bit_cast<uint64_t>(value);
        if (bits == ORV_MISSING_BITS) return ".";
        if (bits == ORV_MISSING_UNDERSCORE_BITS) return "._";
        for (int k = 0; k < 26; ++k)
            if (bits == orvLetterMissingBits(k)) return std::string(".") + char('A' + k);
        return "NaN";
    }
    char text[40];
    if (value == std::trunc(value) && std::fabs(value) < 1e15)
        std::snprintf(text, sizeof text, "%.0f", value);
    else
        std::snprintf(text, sizeof text, "%.15g", value);
    return text;
}


std::string joined(const std::vector<std::string> &parts)
{
    std::string text;
    for (size_t i = 0; i < parts.size(); ++i) text += (i == 0 ? "" : ", ") + parts[i];
    return text;
}

std::string describeSlot(const OPTION_SLOT &slot, DATA_SET_HANDLE *data,
                         const ParseEnvironment &environment)
{
    switch (slot.type) {
    case ORV_SLOT_DOUBLE: {
        if (slot.given != ORV_SLOT_LIST) return numberText(slot.value.number);
        std::string text = "list of " + std::to_string(slot.value.count) + ":";
        for (int32_t i = 0; i < slot.value.count; ++i)
            text += " " + numberText(static_cast<const double *>(slot.items)[i]);
        return text;
    }
    case ORV_SLOT_CHARACTER: return std::string("'") + slot.value.character + "'";
    case ORV_SLOT_TEXT:
        return "text '" + std::string(static_cast<const char *>(slot.items), size_t(slot.value.count)) +
               "'";
    case ORV_SLOT_DATA_SET: {
        auto *handle = static_cast<DATA_SET_HANDLE *>(slot.value.pointer);
        std::string name = environment.dataSetName ? environment.dataSetName(handle) : "";
        return "data set " + (name.empty() ? std::string("(open)") : name);
    }
    case ORV_SLOT_INTERVAL: {
        const auto *d = static_cast<const ZINT_DESC *>(slot.value.pointer);
        return "interval " + std::string(d->name, size_t(std::max<int16_t>(0, d->nameLength))) +
               " (kind " + std::string(1, d->kind) + ", code " + std::to_string(d->code) +
               ", multiplier " + std::to_string(d->multiplier) + ", shift " +
               std::to_string(d->shift) + ")";
    }
    case ORV_SLOT_FORMAT: {
        const auto *f = static_cast<const FORMAT_RECORD *>(slot.items);
        return "format " + formatNameOf(int(f->identifier)) + " (identifier " +
               std::to_string(f->identifier) + ", width " + std::to_string(f->width) +
               ", decimals " + std::to_string(f->decimals) + ")";
    }
    case ORV_SLOT_NAMES:
        return "names " + joined(nameListTexts(static_cast<const NAME_LIST_BLOCK *>(slot.items)));
    case ORV_SLOT_VARIABLE_SPEC:
        return "variable list " + joined(nameListTexts(static_cast<const NAME_LIST_BLOCK *>(slot.items)));
    case ORV_SLOT_VARIABLES: {
        std::vector<std::string> parts;
        for (int32_t i = 0; i < slot.value.count; ++i) {
            int number = static_cast<const int32_t *>(slot.items)[i];
            std::string name = environment.variableName && data != nullptr
                                   ? environment.variableName(data, number)
                                   : "";
            parts.push_back(std::to_string(number) + (name.empty() ? "" : " " + name));
        }
        return "variables " + joined(parts);
    }
    case ORV_SLOT_ID: {
        std::vector<std::string> list = nameListTexts(static_cast<const NAME_LIST_BLOCK *>(slot.value.pointer));
        std::string text = "ID variable " + (list.empty() ? std::string("(none)") : list[0]);
        if (slot.items != nullptr)
            text += " (number " + std::to_string(*static_cast<const int32_t *>(slot.items)) + ")";
        return text;
    }
    default: return "given, type " + std::to_string(slot.type);
    }
}

}  // namespace

std::vector<std::string> describeParseResult(const PARSE_CONTROL &control,
                                             const ParseEnvironment &environment)
{
    std::vector<std::string> lines;
    lines.push_back(std::string(kPrefix) + "status " + std::to_string(control.status));
    DATA_SET_HANDLE *data = nullptr;
    const STATEMENT_NODE *procedure = control.statement;
    if (procedure != nullptr && procedure->slotCount > 1 &&
        procedure->options[1].type == ORV_SLOT_DATA_SET)
        data = static_cast<DATA_SET_HANDLE *>(procedure->options[1].value.pointer);
    int index = 1;
    for (const STATEMENT_NODE *node = procedure; node != nullptr; node = node->next, ++index) {
        lines.push_back(std::string(kPrefix) + "statement " + std::to_string(index) + " " +
                        std::string(node->name, size_t(node->nameLength)) + " at " +
                        std::to_string(node->line) + ":" + std::to_string(node->column));
        std::string bits;
        for (int bit = 0; bit < 64; ++bit)
            if (node->optionBits[bit / 8] & (0x80u >> (bit % 8))) bits += " " + std::to_string(bit);
        if (!bits.empty()) lines.push_back(std::string(kPrefix) + "  bits" + bits);
        for (int k = 0; k < node->slotCount; ++k) {
            const OPTION_SLOT &slot = node->options[k];
            if (slot.given == ORV_SLOT_NOT_GIVEN) continue;
            const char *name = node == procedure       ? procedureSlotName(k)
                               : isEventStatement(*node) ? eventSlotName(k)
                                                         : nullptr;
            lines.push_back(std::string(kPrefix) + "  slot " + std::to_string(k) +
                            (name != nullptr ? std::string(" ") + name : std::string{}) + " = " +
                            describeSlot(slot, data, environment));
        }
    }
    return lines;
}

}  // namespace orvhost
