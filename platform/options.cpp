/*
 * options.cpp - the system-option registry: names, checked settings, and the
 * option texts handed out to the modules.
 */
#include "platform/options.h"

#include <charconv>
#include <cstring>
#include <new>

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
    texts_[size_t(id)] = std::string(value);
    return {};
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
