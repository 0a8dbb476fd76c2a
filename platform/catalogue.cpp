/*
 * catalogue.cpp - reads the message catalogue.
 */
#include "platform/catalogue.h"

#include <charconv>
#include <optional>

namespace orvhost {
namespace {

std::string_view nextField(std::string_view &line)
{
    size_t start = line.find_first_not_of(" \t");
    if (start == std::string_view::npos) {
        line = {};
        return {};
    }
    size_t end = line.find_first_of(" \t", start);
    std::string_view field = line.substr(start, end - start);
    line = end == std::string_view::npos ? std::string_view{} : line.substr(end);
    return field;
}

std::optional<int> parseInt(std::string_view text)
{
    int value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<MessageKind> parseKind(std::string_view text)
{
    if (text == "NOTE") return MessageKind::Note;
    if (text == "WARNING") return MessageKind::Warning;
    if (text == "ERROR") return MessageKind::Error;
    if (text == "TEXT") return MessageKind::Text;
    return std::nullopt;
}

bool validArgumentTypes(std::string_view types)
{
    if (types == "-") return true;
    if (types.size() > 9) return false;
    return types.find_first_not_of("idt") == std::string_view::npos;
}

}  // namespace

std::string Catalogue::load(std::string_view text)
{
    int lineNumber = 0;
    while (!text.empty()) {
        size_t newline = text.find('\n');
        std::string_view line = text.substr(0, newline);
        text = newline == std::string_view::npos ? std::string_view{} : text.substr(newline + 1);
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        size_t first = line.find_first_not_of(" \t");
        if (first == std::string_view::npos || line[first] == '#') continue;

        std::string_view rest = line;
        auto set = parseInt(nextField(rest));
        auto number = parseInt(nextField(rest));
        auto kind = parseKind(nextField(rest));
        std::string_view types = nextField(rest);
        size_t textStart = rest.find_first_not_of(" \t");
        if (!set || !number || !kind || !validArgumentTypes(types) ||
            textStart == std::string_view::npos)
            return "message catalogue line " + std::to_string(lineNumber) +
                   ": expected 'set number kind arguments text'";
        entries_[{*set, *number}] =
            CatalogueEntry{*kind, types == "-" ? std::string{} : std::string{types},
                           std::string{rest.substr(textStart)}};
    }
    return {};
}

const CatalogueEntry *Catalogue::find(int set, int number) const
{
    auto found = entries_.find({set, number});
    return found == entries_.end() ? nullptr : &found->second;
}

LogKind logKindOf(MessageKind kind)
{
    switch (kind) {
    case MessageKind::Note: return LogKind::Note;
    case MessageKind::Warning: return LogKind::Warning;
    case MessageKind::Error: return LogKind::Error;
    case MessageKind::Text: return LogKind::Plain;
    }
    return LogKind::Plain;
}

}  // namespace orvhost
