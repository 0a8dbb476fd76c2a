/*
 * parse_result.cpp - the semantic actions and the end-of-parse resolution
 * (platform/parser/parse_result.h).
 */
#include "platform/parser/parse_result.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "host/missing_values.h"
#include "interval/interval_desc.h"
#include "platform/formats.h"
#include "platform/host.h"

namespace orvhost {
namespace {

constexpr int kResultFlags = 0x2000 | ORV_MEM_ZERO_FILL;
constexpr size_t kNameListHeader = offsetof(NAME_LIST_BLOCK, names);
constexpr size_t kMaxListName = 255;

std::string upperCase(std::string text)
{
    for (char &c : text)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return text;
}

/* A number as users write it: integers without a fraction. */
std::string numberText(double value)
{
    char text[40];
    if (value == std::trunc(value) && std::fabs(value) < 1e15)
        std::snprintf(text, sizeof text, "%.0f", value);
    else
        std::snprintf(text, sizeof text, "%.15g", value);
    return text;
}

/* Why zintstr refused an interval name. */
const char *intervalFault(int status)
{
    switch (status) {
    case ZINTSTR_UNKNOWN: return "is not a known interval";
    case ZINTSTR_BAD_MULTIPLIER: return "has a multiplier out of range";
    case ZINTSTR_BAD_SHIFT: return "has a shift out of range";
    case ZINTSTR_BAD_LENGTH: return "is not 1 to 21 characters long";
    case ZINTSTR_CUSTOM_LOAD: return "is a custom interval whose data set cannot be loaded";
    default: return "is not a valid interval name";
    }
}

/* The values a range of tokens of this class holds, by name; the default
 * step of such a range. */
const char *valueKindName(int tokenClass)
{
    switch (tokenClass) {
    case ORV_TOKEN_DATE: return "date";
    case ORV_TOKEN_TIME: return "time";
    case ORV_TOKEN_DATETIME: return "datetime";
    default: return "observation";
    }
}

const char *defaultStep(int tokenClass)
{
    switch (tokenClass) {
    case ORV_TOKEN_DATE: return "DAY";
    case ORV_TOKEN_TIME: return "HOUR";
    case ORV_TOKEN_DATETIME: return "DTDAY";
    default: return "OBS";
    }
}

/* True when intervals of the descriptor step values of the token class:
 * observation numbers by OBS, dates by date intervals, times by the
 * time-of-day units, datetimes by any interval of seconds. */
bool stepFits(const ZINT_DESC &step, int tokenClass)
{
    switch (tokenClass) {
    case ORV_TOKEN_DATE: return step.kind == 'd';
    case ORV_TOKEN_TIME: return step.kind == 's' && step.code < ZINT_FIRST_CALENDAR_CODE;
    case ORV_TOKEN_DATETIME: return step.kind == 's';
    default: return step.kind == 'o';
    }
}

MEMORY_OBJECT *globalMemory() { return Host::current().memory().globalObject(); }

}  // namespace

int appendToHostList(OPTION_SLOT *slot, const void *item, int length)
{
    if (slot == nullptr || item == nullptr || length < 1) return 1;
    if (slot->value.count < 0 || slot->value.count > int32_t(slot->capacity)) return 1;
    if (slot->capacity == 0) {
        slot->itemSize = uint16_t(std::min(length, 0xFFFF));
        slot->value.count = 0;
    }
    if (length != slot->itemSize) return 1;
    if (uint32_t(slot->value.count) == slot->capacity) {
        uint32_t capacity = slot->capacity == 0 ? 8 : slot->capacity * 2;
        void *old = slot->capacity == 0 ? nullptr : slot->items;
        void *grown = Host::current().memory().reallocate(globalMemory(), old,
                                                          size_t(capacity) * size_t(length), 0);
        if (grown == nullptr) return -1;
        slot->items = grown;
        slot->capacity = capacity;
    }
    std::memcpy(static_cast<char *>(slot->items) + size_t(slot->value.count) * size_t(length), item,
                size_t(length));
    ++slot->value.count;
    return 0;
}

ParseResultBuilder::ParseResultBuilder(PARSE_CONTROL &control, ParseEnvironment &environment,
                                       ParseReporter &reporter)
    : control_(control), environment_(environment), reporter_(reporter)
{
}

void *ParseResultBuilder::allocate(size_t size)
{
    MEMORY_OBJECT *memory = globalMemory();
    void *block = memory->allocate(memory, size, kResultFlags);
    if (block == nullptr && !memoryFailed_) {
        memoryFailed_ = true;
        reporter_.outOfMemory();
    }
    return block;
}

OPTION_SLOT *ParseResultBuilder::slot(int k)
{
    if (options_ == nullptr || k < 0 || k >= slotCount_) return nullptr;
    return &options_[k];
}

void ParseResultBuilder::begin(int slots, const Token &token)
{
    statementOffset_ = token.offset;
    items_.clear();
    pending_[0].clear();
    pending_[1].clear();
    if (slots <= 0) {
        /* BY, VAR and ID fill the procedure statement's record. */
        current_ = nullptr;
        options_ = procedure_ != nullptr ? procedure_->options : nullptr;
        slotCount_ = procedure_ != nullptr ? procedure_->slotCount : 0;
        return;
    }
    auto *node = static_cast<STATEMENT_NODE *>(allocate(sizeof(STATEMENT_NODE)));
    auto *record = static_cast<OPTION_SLOT *>(allocate(sizeof(OPTION_SLOT) * size_t(slots)));
    if (node == nullptr || record == nullptr) {
        current_ = nullptr;
        options_ = nullptr;
        slotCount_ = 0;
        return;
    }
    std::string name = upperCase(token.text);
    if (name.size() > sizeof node->name) name.resize(sizeof node->name);
    std::memset(node->name, ' ', sizeof node->name);
    std::memcpy(node->name, name.data(), name.size());
    node->nameLength = int16_t(name.size());
    node->line = token.line;
    node->column = token.column;
    node->slotCount = int16_t(slots);
    node->options = record;
    current_ = node;
    options_ = record;
    slotCount_ = slots;
    if (procedure_ == nullptr) {
        procedure_ = node;
        last_ = node;
        control_.statement = node;
    }
}

void ParseResultBuilder::end()
{
    if (current_ != nullptr && current_ != procedure_ && last_ != nullptr) {
        last_->next = current_;
        last_ = current_;
    }
    current_ = nullptr;
}

void ParseResultBuilder::setValue(int k, uint8_t type, double number)
{
    OPTION_SLOT *target = slot(k);
    if (target == nullptr) return;
    target->given = ORV_SLOT_VALUE;
    target->type = type;
    target->value.number = number;
}

void ParseResultBuilder::store(int k, int type, const Token &token)
{
    OPTION_SLOT *target = slot(k);
    if (target == nullptr) return;
    if (type == kStoreNumber) {
        if (token.hasValue) setValue(k, ORV_SLOT_DOUBLE, token.value);
    } else if (type == kStoreCharacter) {
        if (token.text.empty()) return;
        target->given = ORV_SLOT_VALUE;
        target->type = ORV_SLOT_CHARACTER;
        target->value.number = 0;
        target->value.character = upperCase(token.text.substr(0, 1))[0];
    } else if (type == kStoreText) {
        auto *text = static_cast<char *>(allocate(token.text.size() + 1));
        if (text == nullptr) return;
        std::memcpy(text, token.text.data(), token.text.size());
        target->given = ORV_SLOT_VALUE;
        target->type = ORV_SLOT_TEXT;
        target->value.number = 0;
        target->value.count = int32_t(token.text.size());
        target->items = text;
    }
}

/* Appends value to the double list in target (a slot holding anything else
 * becomes a new list); false when memory ran out. */
bool ParseResultBuilder::appendNumber(OPTION_SLOT *target, double value)
{
    if (target->given != ORV_SLOT_LIST || target->type != ORV_SLOT_DOUBLE)
        std::memset(target, 0, sizeof *target);
    int status = appendToHostList(target, &value, sizeof value);
    target->given = ORV_SLOT_LIST;
    target->type = ORV_SLOT_DOUBLE;
    if (status != -1) return true;
    if (!memoryFailed_) {
        memoryFailed_ = true;
        reporter_.outOfMemory();
    }
    return false;
}

/* Appends one name-list block holding names to the chain of target. */
bool ParseResultBuilder::appendNames(OPTION_SLOT *target, uint8_t type,
                                     const std::vector<std::string> &names)
{
    if (names.empty()) return true;
    size_t size = kNameListHeader;
    for (const std::string &name : names) size += 1 + std::min(name.size(), kMaxListName);
    auto *block = static_cast<NAME_LIST_BLOCK *>(allocate(size));
    if (block == nullptr) return false;
    uint8_t *p = block->names;
    for (const std::string &name : names) {
        size_t length = std::min(name.size(), kMaxListName);
        *p++ = uint8_t(length);
        std::memcpy(p, name.data(), length);
        p += length;
    }
    bool fresh = target->given == ORV_SLOT_NOT_GIVEN || target->type != type;
    int32_t before = fresh ? 0 : target->value.count;
    block->lastIndex = before + int64_t(names.size()) - 1;
    NAME_LIST_BLOCK **link = type == ORV_SLOT_ID ? reinterpret_cast<NAME_LIST_BLOCK **>(&target->value.pointer)
                                                 : reinterpret_cast<NAME_LIST_BLOCK **>(&target->items);
    if (fresh) {
        std::memset(target, 0, sizeof *target);
        *link = block;
    } else {
        NAME_LIST_BLOCK *tail = *link;
        while (tail->next != nullptr) tail = tail->next;
        tail->next = block;
    }
    target->given = ORV_SLOT_LIST;
    target->type = type;
    if (type != ORV_SLOT_ID) target->value.count = before + int32_t(names.size());
    return true;
}

void ParseResultBuilder::addItem(int form)
{
    const std::string &a = pending_[0];
    const std::string &b = pending_[1];
    switch (form) {
    case kItemSingle: items_.push_back(a); break;
    case kItemRange: items_.push_back(a + "-" + b); break;
    case kItemRange2: items_.push_back(a + "--" + b); break;
    case kItemNumericRange: items_.push_back(a + "-NUMERIC-" + b); break;
    case kItemCharacterRange: items_.push_back(a + "-CHARACTER-" + b); break;
    case kItemPrefix: items_.push_back(a + ":"); break;
    case kItemAllNumeric: items_.push_back("_NUMERIC_"); break;
    case kItemAllCharacter: items_.push_back("_CHARACTER_"); break;
    case kItemAllVariables: items_.push_back("_ALL_"); break;
    case kItemDescending: items_.push_back("DESCENDING " + a); break;
    case kItemNotSorted: items_.push_back("NOTSORTED"); break;
    default: break;
    }
}

void ParseResultBuilder::attach(int k, int limit)
{
    if (procedure_ == nullptr || k < 0 || k >= procedure_->slotCount) return;
    OPTION_SLOT *target = &procedure_->options[k];
    std::vector<std::string> items;
    items.swap(items_);
    if (limit > 0 && int(items.size()) > limit) items.resize(size_t(limit));
    if (k < 4) attachOffset_[k] = statementOffset_;
    uint8_t type = k == kSlotVar ? ORV_SLOT_VARIABLE_SPEC : k == kSlotId ? ORV_SLOT_ID : ORV_SLOT_NAMES;
    /* A second BY or ID statement replaces the first; VAR statements add up. */
    if (k != kSlotVar) std::memset(target, 0, sizeof *target);
    if (items.empty()) {
        if (target->given == ORV_SLOT_NOT_GIVEN) {
            target->given = ORV_SLOT_LIST;
            target->type = type;
        }
        return;
    }
    appendNames(target, type, items);
}

void ParseResultBuilder::range(std::span<const int16_t> arguments, const Token &token,
                               const Token &keyword)
{
    if (arguments.empty() || !token.hasValue) return;
    double value = token.value;
    double minimum = arguments[0];
    bool hasMaximum = arguments.size() > 1;
    double maximum = hasMaximum ? arguments[1] : 0;
    if (value >= minimum && (!hasMaximum || value <= maximum)) return;
    std::string bounds = hasMaximum ? "from " + numberText(minimum) + " to " + numberText(maximum)
                                    : "at least " + numberText(minimum);
    reporter_.statementError(token.offset, "The value " + numberText(value) + " of " +
                                               upperCase(keyword.text) +
                                               "= is out of range: it must be " + bounds + ".");
}

void ParseResultBuilder::openDataSet(int k, int mode, const Token &token)
{
    OPTION_SLOT *target = slot(k);
    if (target == nullptr || !environment_.openDataSet) return;
    std::string libref, member = token.text;
    size_t dot = token.text.find('.');
    if (dot != std::string::npos) {
        libref = token.text.substr(0, dot);
        member = token.text.substr(dot + 1);
    }
    std::string error;
    DATA_SET_HANDLE *handle = environment_.openDataSet(libref, member, mode, error);
    if (handle == nullptr) {
        reporter_.statementError(token.offset, error.empty() ? "The data set " + token.text +
                                                                   " cannot be opened."
                                                             : error);
        return;
    }
    target->given = ORV_SLOT_VALUE;
    target->type = ORV_SLOT_DATA_SET;
    target->value.pointer = handle;
}

void ParseResultBuilder::format(int k, const Token &token)
{
    OPTION_SLOT *target = slot(k);
    if (target == nullptr) return;
    FormatName name;
    int identifier = kNoFormat;
    if (splitFormatName(token.text, &name)) identifier = formatIdentifier(name.name);
    if (identifier == kNoFormat) {
        reporter_.statementError(token.offset, "The format " + token.text + " is not known.");
        return;
    }
    auto *record = static_cast<FORMAT_RECORD *>(allocate(sizeof(FORMAT_RECORD)));
    if (record == nullptr) return;
    record->width = int16_t(name.width);
    record->decimals = int16_t(name.decimals);
    record->identifier = identifier;
    target->given = ORV_SLOT_VALUE;
    target->type = ORV_SLOT_FORMAT;
    target->items = record;
}

void ParseResultBuilder::interval(int k, const Token &token, const Token &keyword)
{
    OPTION_SLOT *target = slot(k);
    if (target == nullptr || !environment_.parseInterval) return;
    auto *descriptor = static_cast<ZINT_DESC *>(allocate(sizeof(ZINT_DESC)));
    if (descriptor == nullptr) return;
    int status = environment_.parseInterval(token.text.data(), int(token.text.size()), descriptor);
    if (status != ZINTSTR_OK) {
        reporter_.statementError(token.offset, upperCase(keyword.text) + "=" + token.text + ": " +
                                                   token.text + " " + intervalFault(status) + ".");
        return;
    }
    target->given = ORV_SLOT_VALUE;
    target->type = ORV_SLOT_INTERVAL;
    target->value.pointer = descriptor;
}

void ParseResultBuilder::span(int sub, int k, const Token &token)
{
    OPTION_SLOT *target = slot(k);
    if (target == nullptr) return;
    if (sub == kSpanTo) {
        range_ = PendingRange{};
        /* a constant the lexer could not read has been reported already */
        range_.open = token.hasValue && !orvIsMissing(token.value);
        range_.tokenClass = token.tokenClass;
        range_.end = token.value;
        range_.offset = token.offset;
    } else if (sub == kSpanBy && range_.open) {
        int status = environment_.parseInterval
                         ? environment_.parseInterval(token.text.data(), int(token.text.size()),
                                                      &range_.step)
                         : ZINTSTR_UNKNOWN;
        if (status != ZINTSTR_OK) {
            reporter_.statementError(token.offset, "BY " + token.text + ": " + token.text + " " +
                                                       intervalFault(status) + ".");
            range_.open = false;
        } else if (!stepFits(range_.step, range_.tokenClass)) {
            reporter_.statementError(token.offset, "BY " + token.text + ": " + token.text +
                                                       " does not step " +
                                                       valueKindName(range_.tokenClass) + " values.");
            range_.open = false;
        }
        range_.stepped = true;
    } else if (sub == kSpanFill) {
        if (range_.open) fillRange(target);
        range_ = PendingRange{};
    }
}

/* Appends to the double list in target the interval starts after its last
 * value (the range's start) up to the range's end. */
void ParseResultBuilder::fillRange(OPTION_SLOT *target)
{
    if (target->given != ORV_SLOT_LIST || target->type != ORV_SLOT_DOUBLE || target->value.count < 1)
        return;
    if (!range_.stepped) {
        const char *name = defaultStep(range_.tokenClass);
        if (!environment_.parseInterval ||
            environment_.parseInterval(name, int(std::strlen(name)), &range_.step) != ZINTSTR_OK) {
            reporter_.statementError(range_.offset, std::string("The range cannot be stepped by ") +
                                                        name + ".");
            return;
        }
    }
    double start = static_cast<const double *>(target->items)[target->value.count - 1];
    if (orvIsMissing(start)) return;
    if (range_.end < start) {
        reporter_.statementError(range_.offset, "The range ends before it starts.");
        return;
    }
    std::string stepName(range_.step.name, size_t(std::max<int16_t>(0, range_.step.nameLength)));
    std::vector<double> values;
    double previous = start;
    for (int n = 1;; ++n) {
        double next = environment_.stepInterval ? environment_.stepInterval(&range_.step, start, n)
                                                : orvMissing();
        if (orvIsMissing(next) || next <= previous) {
            reporter_.statementError(range_.offset, "The range cannot be stepped by " + stepName +
                                                        " up to its end.");
            return;
        }
        if (next > range_.end) break;
        if (values.size() + 1 >= size_t(kMaxRangeValues)) {
            reporter_.statementError(range_.offset, "The range holds more than " +
                                                        std::to_string(kMaxRangeValues) +
                                                        " values.");
            return;
        }
        values.push_back(next);
        previous = next;
    }
    for (double value : values)
        if (!appendNumber(target, value)) return;
}

void ParseResultBuilder::timing(std::span<const int16_t> arguments, const Token &token)
{
    if (control_.actionCallback == nullptr) return;
    PARSE_TOKEN parseToken{};
    parseToken.kind = token.kind == TokenKind::Class ? token.tokenClass : 0;
    parseToken.subKind = 0;
    parseToken.value = token.value;
    parseToken.text = token.text.data();
    parseToken.length = int32_t(token.text.size());
    parseToken.line = token.line;
    parseToken.column = token.column;
    PARSE_ACTION action{};
    action.code = kActionTiming;
    action.argumentCount = int32_t(arguments.size());
    action.arguments = arguments.data();
    action.options = options_;
    if (arguments.size() >= 4) {
        const OPTION_SLOT *values = slot(arguments[3]);
        if (values != nullptr && values->given == ORV_SLOT_LIST) action.listCount = values->value.count;
    }
    /* The callback may end the step through xexit. */
    control_.actionCallback(&control_, &parseToken, &action);
}

void ParseResultBuilder::run(int code, std::span<const int16_t> arguments, Token &token,
                             const Token &keyword)
{
    if (memoryFailed_) return;
    auto argument = [&](size_t i) { return i < arguments.size() ? int(arguments[i]) : 0; };
    switch (code) {
    case kActionBegin: begin(argument(0), keyword); break;
    case kActionEnd: end(); break;
    case kActionBit: {
        int bit = argument(0);
        if (current_ != nullptr && bit >= 0 && bit < 64)
            current_->optionBits[bit / 8] |= uint8_t(0x80u >> (bit % 8));
        else if (current_ == nullptr && procedure_ != nullptr && bit >= 0 && bit < 64)
            procedure_->optionBits[bit / 8] |= uint8_t(0x80u >> (bit % 8));
        break;
    }
    case kActionStore: store(argument(0), argument(1), token); break;
    case kActionConstant: setValue(argument(0), ORV_SLOT_DOUBLE, argument(1)); break;
    case kActionCharacter: {
        OPTION_SLOT *target = slot(argument(0));
        if (target == nullptr) break;
        target->given = ORV_SLOT_VALUE;
        target->type = ORV_SLOT_CHARACTER;
        target->value.number = 0;
        target->value.character = char(argument(1));
        break;
    }
    case kActionAppend:
    case kActionAppendConstant: {
        OPTION_SLOT *target = slot(argument(0));
        if (target == nullptr || (code == kActionAppend && !token.hasValue)) break;
        appendNumber(target, code == kActionAppend ? token.value : double(argument(1)));
        break;
    }
    case kActionName: {
        OPTION_SLOT *target = slot(argument(0));
        if (target != nullptr) appendNames(target, ORV_SLOT_NAMES, {token.text});
        break;
    }
    case kActionPending:
        if (argument(0) == 1 || argument(0) == 2) pending_[argument(0) - 1] = upperCase(token.text);
        break;
    case kActionItem: addItem(argument(0)); break;
    case kActionAttach: attach(argument(0), argument(1)); break;
    case kActionNegate: token.value = -token.value; break;
    case kActionRange: range(arguments, token, keyword); break;
    case kActionOpen: openDataSet(argument(0), argument(1), token); break;
    case kActionFormat: format(argument(0), token); break;
    case kActionInterval: interval(argument(0), token, keyword); break;
    case kActionSpan: span(argument(0), argument(1), token); break;
    case kActionTiming: timing(arguments, token); break;
    default: break; /* an action this host does not know changes nothing */
    }
}

std::vector<std::string> nameListTexts(const NAME_LIST_BLOCK *block)
{
    std::vector<std::string> names;
    int64_t index = 0;
    for (; block != nullptr; block = block->next) {
        const uint8_t *p = block->names;
        for (; index <= block->lastIndex; ++index) {
            names.emplace_back(reinterpret_cast<const char *>(p + 1), p[0]);
            p += p[0] + 1;
        }
    }
    return names;
}

std::vector<std::string> ParseResultBuilder::namesOf(const OPTION_SLOT &slot) const
{
    return nameListTexts(static_cast<const NAME_LIST_BLOCK *>(
        slot.type == ORV_SLOT_ID ? slot.value.pointer : slot.items));
}

void ParseResultBuilder::resolveBy(OPTION_SLOT &by, DATA_SET_HANDLE *data)
{
    std::vector<int> signedNumbers;
    bool notSorted = false;
    bool faults = false;
    for (const std::string &item : namesOf(by)) {
        if (item == "NOTSORTED") {
            notSorted = true;
            continue;
        }
        bool descending = item.rfind("DESCENDING ", 0) == 0;
        std::string name = descending ? item.substr(11) : item;
        int number = environment_.findVariable ? environment_.findVariable(data, name) : 0;
        if (number <= 0) {
            reporter_.statementError(attachOffset_[kSlotBy],
                                     "The BY variable " + name + " is not in the DATA= data set.");
            faults = true;
            continue;
        }
        signedNumbers.push_back(descending ? -number : number);
    }
    if (faults) return;
    auto *numbers = static_cast<int32_t *>(allocate(sizeof(int32_t) * std::max<size_t>(1, signedNumbers.size())));
    if (numbers == nullptr) return;
    for (size_t i = 0; i < signedNumbers.size(); ++i) numbers[i] = std::abs(signedNumbers[i]);
    by.type = ORV_SLOT_VARIABLES;
    by.value.number = 0;
    by.value.count = int32_t(signedNumbers.size());
    by.items = numbers;
    if (environment_.setByList && environment_.setByList(data, signedNumbers, notSorted) != 0)
        reporter_.statementError(attachOffset_[kSlotBy],
                                 "The BY variables cannot be set on the DATA= data set.");
}

void ParseResultBuilder::resolveId(OPTION_SLOT &id, DATA_SET_HANDLE *data)
{
    std::vector<std::string> names = namesOf(id);
    if (names.empty()) return;
    int number = environment_.findVariable ? environment_.findVariable(data, names[0]) : 0;
    if (number <= 0) {
        reporter_.statementError(attachOffset_[kSlotId],
                                 "The ID variable " + names[0] + " is not in the DATA= data set.");
        return;
    }
    auto *stored = static_cast<int32_t *>(allocate(sizeof(int32_t)));
    if (stored == nullptr) return;
    *stored = number;
    id.items = stored;
}

void ParseResultBuilder::finish()
{
    if (control_.status != 0 || procedure_ == nullptr || procedure_->slotCount <= kSlotId) return;
    OPTION_SLOT *options = procedure_->options;
    const OPTION_SLOT &data = options[kSlotData];
    if (data.given == ORV_SLOT_NOT_GIVEN || data.type != ORV_SLOT_DATA_SET) return;
    auto *handle = static_cast<DATA_SET_HANDLE *>(data.value.pointer);
    if (options[kSlotBy].given != ORV_SLOT_NOT_GIVEN && options[kSlotBy].type == ORV_SLOT_NAMES)
        resolveBy(options[kSlotBy], handle);
    if (options[kSlotId].given != ORV_SLOT_NOT_GIVEN && options[kSlotId].type == ORV_SLOT_ID)
        resolveId(options[kSlotId], handle);
}

}  // namespace orvhost
