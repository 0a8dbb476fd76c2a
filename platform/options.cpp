/*
 * options.cpp - the system-option registry: names, checked settings, and the
 * option texts handed out to the modules.
 */
#include "platform/options.h"

#include <charconv>
#include <cstring>
#include <new>

#include "host/host_records.h"
#include "host/interval_ds_text.h"
#include "platform/dataset/libraries.h"
#include "platform/log.h"
#include "platform/parser/lexer.h"

namespace orvhost {

namespace {

/* ORDER OptionId */
constexpr std::array<std::string_view, kOptionCount> kOptionNames = {
    "DEBUG", "EVENTDS", "INTERVALDS", "YEARCUTOFF"};
static_assert(kOptionNames.size() == size_t(OptionId::YearCutoff) + 1);

std::string_view trimBlanks(std::string_view text)
{
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

bool equalIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char c = a[i] >= 'a' && a[i] <= 'z' ? char(a[i] - 'a' + 'A') : a[i];
        if (c != b[i]) return false;
    }
    return true;
}

/* The blank-separated words of an option value, which may stand in one
 * pair of parentheses; blanks around '=' are dropped, so that "a = b" is
 * the word "a=b".  False when a parenthesis is out of place. */
bool optionWords(std::string_view value, std::vector<std::string> &words)
{
    value = trimBlanks(value);
    if (!value.empty() && value.front() == '(') {
        if (value.back() != ')') return false;
        value = value.substr(1, value.size() - 2);
    }
    std::string text;
    for (size_t i = 0; i < value.size(); ++i) {
        char c = value[i];
        if (c == '(' || c == ')') return false;
        bool blank = c == ' ' || c == '\t';
        if (blank && ((!text.empty() && text.back() == '=') ||
                      value.find_first_not_of(" \t", i) == std::string_view::npos ||
                      value[value.find_first_not_of(" \t", i)] == '='))
            continue;
        text += c;
    }
    words.clear();
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find_first_of(" \t", at);
        if (end == std::string::npos) end = text.size();
        if (end > at) words.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return true;
}

/* True for "libref.member" with a valid library reference and member. */
bool isDataSetName(std::string_view word)
{
    size_t dot = word.find('.');
    return dot != std::string_view::npos &&
           isValidName(word.substr(0, dot), ORV_DS_LIBREF_LENGTH) &&
           isValidName(word.substr(dot + 1), ORV_DS_MEMBER_LENGTH);
}

/* What is wrong with an INTERVALDS value ("" when nothing is): its entries,
 * read as the custom-interval manager reads them, name custom intervals
 * with a data set libref.member or a member alone; a name without a data
 * set after it is refused, since the manager would not register it. */
std::string checkIntervalDs(std::string_view value, const std::string &fix)
{
    size_t at = 0;
    std::string_view name, dataSet;
    while (orvNextIntervalDsEntry(value, &at, &name, &dataSet)) {
        if (!isValidName(name, kMaxNameLength))
            return "'" + shownText(name) + "' is not a valid interval name in INTERVALDS" + fix;
        if (!isDataSetName(dataSet) && !isValidName(dataSet, ORV_DS_MEMBER_LENGTH))
            return "'" + shownText(dataSet) + "' is not a valid data set in INTERVALDS" + fix;
    }
    if (!name.empty()) return "the interval name '" + shownText(name) + "' in INTERVALDS has no data set" + fix;
    return {};
}

/* What is wrong with the value of a text option ("" when nothing is):
 * DEBUG lists SYN and SEM, EVENTDS lists NODEFAULTS, DEFAULTS and data sets
 * libref.member, separated by blanks and optionally in parentheses;
 * INTERVALDS as checkIntervalDs says. */
std::string checkOptionText(OptionId id, std::string_view value)
{
    const char *form = id == OptionId::Debug ? "SYN and SEM, separated by blanks"
                       : id == OptionId::EventDs
                           ? "NODEFAULTS, DEFAULTS and data sets libref.member, separated by blanks"
                           : "custom intervals name=libref.member or name=member, separated by blanks or commas";
    std::string fix = std::string("; list ") + form + ", optionally in parentheses";
    if (id == OptionId::IntervalDs) return checkIntervalDs(value, fix);
    std::string name(kOptionNames[size_t(id)]);
    std::vector<std::string> words;
    if (!optionWords(value, words))
        return "the value '" + shownText(value) + "' of " + name + " has a parenthesis out of place" + fix;
    for (const std::string &word : words) {
        std::string upper = upperName(word);
        const bool valid = id == OptionId::Debug
                               ? upper == "SYN" || upper == "SEM"
                               : upper == "NODEFAULTS" || upper == "DEFAULTS" || isDataSetName(word);
        if (!valid) return "'" + shownText(word) + "' is not valid in " + name + fix;
    }
    return {};
}

/* A NUL-filled block of `size` bytes starting with text; null when memory
 * runs out. */
std::unique_ptr<char[]> filledBlock(std::string_view text, size_t size)
{
    std::unique_ptr<char[]> block(new (std::nothrow) char[size]());
    if (block && !text.empty()) std::memcpy(block.get(), text.data(), text.size());
    return block;
}

}  // namespace

SystemOptions::SystemOptions()
{
    texts_[size_t(OptionId::YearCutoff)] = std::to_string(kDefaultYearCutoff);
}

bool SystemOptions::find(std::string_view name, OptionId &idOut)
{
    name = trimBlanks(name);
    for (size_t i = 0; i < kOptionNames.size(); ++i) {
        if (equalIgnoringCase(name, kOptionNames[i])) {
            idOut = OptionId(i);
            return true;
        }
    }
    return false;
}

std::string_view SystemOptions::nameOf(OptionId id) { return kOptionNames[size_t(id)]; }

std::string SystemOptions::knownNames()
{
    std::string names;
    for (std::string_view name : kOptionNames) {
        if (!names.empty()) names += ", ";
        names += name;
    }
    return names;
}

std::string SystemOptions::set(std::string_view name, std::string_view value)
{
    OptionId id;
    if (!find(name, id))
        return "unknown system option '" + std::string(trimBlanks(name)) + "' (known options: " +
               knownNames() + ")";
    if (value.size() > kMaxOptionTextLength)
        return "the value of " + std::string(nameOf(id)) + " is longer than " +
               std::to_string(kMaxOptionTextLength) + " bytes";
    if (id == OptionId::YearCutoff) {
        std::string_view digits = trimBlanks(value);
        int year = 0;
        auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), year);
        if (digits.empty() || error != std::errc{} || end != digits.data() + digits.size() ||
            year < kMinYearCutoff || year > kMaxYearCutoff)
            return "YEARCUTOFF must be a year from " + std::to_string(kMinYearCutoff) + " to " +
                   std::to_string(kMaxYearCutoff) + ", not '" + std::string(value) + "'";
        yearCutoff_ = year;
        texts_[size_t(id)] = std::to_string(year);
        return {};
    }
    if (std::string fault = checkOptionText(id, value); !fault.empty()) return fault;
    texts_[size_t(id)] = std::string(value);
    return {};
}

void SystemOptions::setText(OptionId id, std::string_view text)
{
    if (id != OptionId::YearCutoff) texts_[size_t(id)] = std::string(text.substr(0, kMaxOptionTextLength));
}

std::string SystemOptions::setAssignment(std::string_view assignment)
{
    size_t equals = assignment.find('=');
    if (equals == std::string_view::npos)
        return "a system option is set as NAME=VALUE, not '" + std::string(assignment) + "'";
    return set(assignment.substr(0, equals), assignment.substr(equals + 1));
}

char *SystemOptions::stepCopy(std::string_view text)
{
    std::unique_ptr<char[]> copy = filledBlock(text, text.size() + 1);
    if (!copy) return nullptr;
    stepCopies_.push_back(std::move(copy));
    return stepCopies_.back().get();
}

char *SystemOptions::allocateText(std::string_view text, int capacity)
{
    size_t size = text.size() + 1;
    if (capacity > 0 && size_t(capacity) > size) size = size_t(capacity);
    std::unique_ptr<char[]> block = filledBlock(text, size);
    if (!block) return nullptr;
    char *address = block.get();
    blocks_.emplace(address, std::move(block));
    return address;
}

bool SystemOptions::freeText(const void *block) { return blocks_.erase(block) == 1; }

void SystemOptions::releaseStep()
{
    stepCopies_.clear();
    blocks_.clear();
}

}  // namespace orvhost
