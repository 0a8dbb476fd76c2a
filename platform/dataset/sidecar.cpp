/*
 * sidecar.cpp - reading and writing member.meta.json.
 *
 * No JSON document tree is built, neither to read nor to write: destroying
 * one makes the library allocate, and an allocation that fails there cannot
 * be caught.  The JSON is read event by event (the library's SAX interface)
 * into the few fields a sidecar has: the root object's members and the
 * members of each element of its "variables" list, deeper values only by
 * kind; it is written as text, each string quoted by the library.  The
 * text is read through an iterator that counts lines, so that every
 * variable keeps the line of its object and a message about a field can
 * name its line.
 */
#include "platform/dataset/sidecar.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <climits>
#include <iterator>
#include <map>
#include <nlohmann/json.hpp>
#include <unordered_map>
#include <vector>

#include "host/host_records.h"
#include "platform/dataset/file_writes.h"
#include "platform/dataset/libraries.h"
#include "platform/log.h"
#include "platform/regular_file.h"

namespace orvhost {

namespace {

using Json = nlohmann::json;

constexpr int kShortestNumber = 3;
constexpr int kLongestNumber = 8;

/* Walks the text and counts the line feeds it passes. */
struct LineCountingIterator {
    using iterator_category = std::forward_iterator_tag;
    using value_type = char;
    using difference_type = std::ptrdiff_t;
    using pointer = const char *;
    using reference = const char &;

    const char *at = nullptr;
    int *line = nullptr;

    reference operator*() const { return *at; }
    LineCountingIterator &operator++()
    {
        if (*at == '\n') ++*line;
        ++at;
        return *this;
    }
    LineCountingIterator operator++(int)
    {
        LineCountingIterator before = *this;
        ++*this;
        return before;
    }
    bool operator==(const LineCountingIterator &other) const { return at == other.at; }
    bool operator!=(const LineCountingIterator &other) const { return at != other.at; }
};

/* A JSON value as the sidecar needs it: texts and whole numbers are kept,
 * everything else only by its kind. */
struct Value {
    enum class Kind { Null, Boolean, Negative, Whole, Fraction, Text, List, Object };
    Kind kind = Kind::Null;
    std::string text;
    int64_t negative = 0; /* Kind::Negative */
    uint64_t whole = 0;   /* Kind::Whole */
};
/* An object's members by name; of a name given twice the later value
 * counts. */
using Members = std::map<std::string, Value>;

/* An element of the "variables" list: its kind, its members when it is an
 * object, and the line where it starts. */
struct ListElement {
    Value::Kind kind;
    Members members;
    int line;
};

/* Receives the parser's events and keeps the root's members and the
 * elements of its "variables" list.  Depth is the number of containers
 * open: the root value is seen at depth 0, its members at 1, the elements
 * of "variables" at 2 and their members at 3. */
struct SidecarEvents {
    explicit SidecarEvents(const int *lineCounter) : line(lineCounter) {}

    const int *line;
    Value::Kind rootKind = Value::Kind::Null;
    Members root;
    std::vector<ListElement> variables;
    int depth = 0;
    bool inVariables = false; /* the open list at depth 1 is "variables" */
    bool inElement = false;   /* the open object at depth 2 is an element of it */
    std::string rootKey, elementKey, lastKey;
    /* A failure: the byte of a syntax error, or out of range (a number
     * beyond a double) when outOfRange. */
    bool failed = false, outOfRange = false;
    size_t failedByte = 0;

    bool value(Value seen)
    {
        if (depth == 0) rootKind = seen.kind;
        else if (depth == 1 && rootKind == Value::Kind::Object) root[rootKey] = std::move(seen);
        else if (depth == 2 && inVariables) variables.push_back({seen.kind, {}, *line});
        else if (depth == 3 && inElement) variables.back().members[elementKey] = std::move(seen);
        return true;
    }
    bool open(Value::Kind kind)
    {
        value({kind, {}, 0, 0});
        if (depth == 1 && rootKind == Value::Kind::Object && kind == Value::Kind::List &&
            rootKey == "variables") {
            /* A later "variables" replaces an earlier one. */
            variables.clear();
            inVariables = true;
        }
        if (depth == 2 && inVariables && kind == Value::Kind::Object) inElement = true;
        ++depth;
        return true;
    }
    bool close()
    {
        --depth;
        if (depth == 1) inVariables = false;
        if (depth == 2) inElement = false;
        return true;
    }

    bool null() { return value({}); }
    bool boolean(bool) { return value({Value::Kind::Boolean, {}, 0, 0}); }
    bool number_integer(Json::number_integer_t number)
    {
        if (number >= 0) return number_unsigned(Json::number_unsigned_t(number));
        return value({Value::Kind::Negative, {}, number, 0});
    }
    bool number_unsigned(Json::number_unsigned_t number) { return value({Value::Kind::Whole, {}, 0, number}); }
    bool number_float(Json::number_float_t, const std::string &) { return value({Value::Kind::Fraction, {}, 0, 0}); }
    bool string(std::string &text) { return value({Value::Kind::Text, std::move(text), 0, 0}); }
    bool binary(Json::binary_t &) { return value({}); }
    bool start_object(size_t) { return open(Value::Kind::Object); }
    bool start_array(size_t) { return open(Value::Kind::List); }
    bool end_object() { return close(); }
    bool end_array() { return close(); }
    bool key(std::string &name)
    {
        lastKey = name;
        if (depth == 1) rootKey = name;
        if (depth == 3 && inElement) elementKey = name;
        return true;
    }
    bool parse_error(size_t byte, const std::string &, const nlohmann::detail::exception &failure)
    {
        failed = true;
        failedByte = byte;
        outOfRange = dynamic_cast<const Json::parse_error *>(&failure) == nullptr;
        return false;
    }
};

/* text as a JSON string, quotes included.  Text that is not UTF-8 is
 * written with replacement characters rather than failing the whole data
 * set.  A string value owns no elements, so destroying it allocates
 * nothing. */
std::string jsonText(const std::string &text)
{
    return Json(text).dump(-1, ' ', false, Json::error_handler_t::replace);
}

int lineOfByte(const std::string &text, size_t byte)
{
    byte = std::min(byte, text.size());
    return 1 + int(std::count(text.begin(), text.begin() + std::ptrdiff_t(byte), '\n'));
}

struct Reader {
    const std::string &path;
    std::string &error;

    bool fail(int line, const std::string &what)
    {
        error = path + ", line " + std::to_string(line) + ": " + what;
        return false;
    }

    /* A string member; absent is "" unless required. */
    bool text(const Members &object, const char *key, bool required, int line, std::string &out,
              const std::string &owner)
    {
        auto found = object.find(key);
        if (found == object.end()) {
            if (required) return fail(line, owner + " has no \"" + key + "\" field.");
            out.clear();
            return true;
        }
        if (found->second.kind != Value::Kind::Text)
            return fail(line, owner + ": the field \"" + key + "\" is not a text.");
        out = found->second.text;
        return true;
    }

    /* A whole-number member from 0 up; absent leaves out as it is.  The
     * range is checked on the JSON number before it is converted. */
    bool integer(const Members &object, const char *key, int line, int64_t &out,
                 const std::string &owner)
    {
        auto found = object.find(key);
        if (found == object.end()) return true;
        const Value &number = found->second;
        if (number.kind != Value::Kind::Whole && number.kind != Value::Kind::Negative)
            return fail(line, owner + ": the field \"" + key + "\" is not a whole number.");
        if (number.kind == Value::Kind::Negative || number.whole > uint64_t(INT64_MAX))
            return fail(line, owner + ": the field \"" + key + "\" is " +
                                  (number.kind == Value::Kind::Negative ? std::to_string(number.negative)
                                                                        : std::to_string(number.whole)) +
                                  ", outside 0 to " + std::to_string(INT64_MAX) + ".");
        out = int64_t(number.whole);
        return true;
    }

    bool format(const std::string &text, int line, const std::string &owner, std::string &name,
                int &width, int &decimals)
    {
        if (text.empty()) {
            name.clear();
            width = decimals = 0;
            return true;
        }
        if (!splitFormatText(text, name, width, decimals))
            return fail(line, owner + ": \"" + shownText(text) + "\" is not a format such as DATE9. or BEST12.");
        return true;
    }

    bool variable(const ListElement &element, size_t index, Variable &variable)
    {
        const Members &object = element.members;
        const int line = element.line;
        std::string owner = "variable " + std::to_string(index + 1);
        if (element.kind != Value::Kind::Object) return fail(line, owner + " is not an object.");
        if (!text(object, "name", true, line, variable.name, owner)) return false;
        owner += " (\"" + shownText(variable.name) + "\")";
        if (!isValidName(variable.name, ORV_DS_VARIABLE_NAME_LENGTH))
            return fail(line, owner + ": the name is not a valid variable name.");
        std::string type;
        if (!text(object, "type", true, line, type, owner)) return false;
        if (type == "numeric") variable.type = VariableType::Numeric;
        else if (type == "character") variable.type = VariableType::Character;
        else return fail(line, owner + ": the type is \"" + shownText(type) + "\", not numeric or character.");

        int64_t length = -1;
        if (!integer(object, "length", line, length, owner)) return false;
        if (variable.type == VariableType::Character) {
            if (length == -1) return fail(line, owner + " has no \"length\" field.");
            if (length < 1 || length > kLongestCharacterVariable)
                return fail(line, owner + ": the length " + std::to_string(length) +
                                      " is outside 1 to " +
                                      std::to_string(kLongestCharacterVariable) + ".");
            variable.length = int(length);
        } else {
            if (length != -1 && (length < kShortestNumber || length > kLongestNumber))
                return fail(line, owner + ": the length of a number must be 3 to 8.");
            variable.length = kLongestNumber;
        }
        std::string formatTextValue, informatTextValue;
        if (!text(object, "label", false, line, variable.label, owner)) return false;
        if (variable.label.size() > size_t(ORV_DS_LABEL_LENGTH))
            return fail(line, owner + ": the label is longer than 256 characters.");
        if (!text(object, "format", false, line, formatTextValue, owner)) return false;
        if (!text(object, "informat", false, line, informatTextValue, owner)) return false;
        return format(formatTextValue, line, owner, variable.formatName, variable.formatWidth,
                      variable.formatDecimals) &&
               format(informatTextValue, line, owner, variable.informatName,
                      variable.informatWidth, variable.informatDecimals);
    }
};

}  // namespace

bool readSidecar(const std::string &path, DataSetDescription &description, std::string &error)
{
    std::string text;
    if (!readRegularFile(path, "sidecar", kMaxSidecarBytes, text, error)) return false;

    int line = 1;
    SidecarEvents events(&line);
    LineCountingIterator first{text.data(), &line}, last{text.data() + text.size(), &line};
    Json::sax_parse(first, last, &events);
    if (events.failed && !events.outOfRange) {
        error = path + ", line " + std::to_string(lineOfByte(text, events.failedByte)) +
                ": the sidecar is not valid JSON; mend the text there.";
        return false;
    }
    if (events.failed) {
        /* A number beyond the range of a double. */
        error = path + ", line " + std::to_string(line) + ": the value of the field \"" +
                shownText(events.lastKey) + "\" cannot be read: it is out of range; write a smaller number.";
        return false;
    }

    Reader reader{path, error};
    if (events.rootKind != Value::Kind::Object) return reader.fail(1, "the sidecar is not a JSON object.");
    const Members &root = events.root;
    DataSetDescription result;
    if (!reader.text(root, "label", false, 1, result.label, "the data set")) return false;
    if (result.label.size() > size_t(ORV_DS_LABEL_LENGTH))
        return reader.fail(1, "the data set's label is longer than 256 characters.");
    if (!reader.integer(root, "observations", 1, result.observations, "the data set") ||
        !reader.integer(root, "csvBytes", 1, result.csvBytes, "the data set"))
        return false;
    auto variables = root.find("variables");
    if (variables == root.end()) return reader.fail(1, "the sidecar has no \"variables\" field.");
    if (variables->second.kind != Value::Kind::List) return reader.fail(1, "\"variables\" is not a list.");
    std::unordered_map<std::string, size_t> seen; /* upper-case name, variable number */
    for (size_t i = 0; i < events.variables.size(); ++i) {
        const int objectLine = events.variables[i].line;
        Variable variable;
        if (!reader.variable(events.variables[i], i, variable)) return false;
        /* Names are matched without regard to case: a second one could
         * never be reached. */
        auto [earlier, fresh] = seen.emplace(upperName(variable.name), i + 1);
        if (!fresh)
            return reader.fail(objectLine, "variable " + std::to_string(i + 1) + " (\"" +
                                               variable.name + "\") has the name of variable " +
                                               std::to_string(earlier->second) +
                                               " (names are the same in any case); rename one.");
        result.variables.push_back(std::move(variable));
    }
    description = std::move(result);
    return true;
}

bool writeSidecar(const std::string &path, const DataSetDescription &description,
                  std::string &error)
{
    std::string text = "{\n  \"label\": " + jsonText(description.label);
    if (description.observations >= 0)
        text += ",\n  \"observations\": " + std::to_string(description.observations);
    if (description.csvBytes >= 0) text += ",\n  \"csvBytes\": " + std::to_string(description.csvBytes);
    text += ",\n  \"variables\": [";
    const char *separator = "\n";
    for (const Variable &variable : description.variables) {
        text += separator;
        separator = ",\n";
        text += "    {\n      \"name\": " + jsonText(variable.name) + ",\n      \"type\": " +
                (variable.type == VariableType::Numeric ? "\"numeric\"" : "\"character\"") +
                ",\n      \"length\": " + std::to_string(variable.length) +
                ",\n      \"label\": " + jsonText(variable.label) + ",\n      \"format\": " +
                jsonText(formatText(variable.formatName, variable.formatWidth, variable.formatDecimals));
        if (!variable.informatName.empty())
            text += ",\n      \"informat\": " +
                    jsonText(formatText(variable.informatName, variable.informatWidth,
                                        variable.informatDecimals));
        text += "\n    }";
    }
    text += description.variables.empty() ? "]\n}\n" : "\n  ]\n}\n";

    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    bool ok = fd >= 0 && writeFileBytes(fd, text.data(), text.size());
    if (ok && ::fsync(fd) != 0) ok = false;
    if (fd >= 0 && ::close(fd) != 0) ok = false;
    if (!ok) error = "The sidecar " + path + " cannot be written: " + std::strerror(errno) + ".";
    return ok;
}

}  // namespace orvhost
