/*
 * sidecar.cpp - reading and writing member.meta.json.
 *
 * The JSON is read through an iterator that counts lines, so that a parser
 * callback can note the line of every variable's object and a message about
 * a field can name its line.
 */
#include "platform/dataset/sidecar.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <climits>
#include <iterator>
#include <nlohmann/json.hpp>
#include <unordered_map>

#include "host/host_records.h"
#include "platform/dataset/file_writes.h"
#include "platform/dataset/libraries.h"
#include "platform/log.h"
#include "platform/regular_file.h"

namespace orvhost {

namespace {

using Json = nlohmann::json;

/* Depth of a variable's object: root object 0, "variables" array 1. */
constexpr int kVariableDepth = 2;
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
    bool text(const Json &object, const char *key, bool required, int line, std::string &out,
              const std::string &owner)
    {
        auto found = object.find(key);
        if (found == object.end()) {
            if (required) return fail(line, owner + " has no \"" + key + "\" field.");
            out.clear();
            return true;
        }
        if (!found->is_string())
            return fail(line, owner + ": the field \"" + key + "\" is not a text.");
        out = found->get<std::string>();
        return true;
    }

    /* A whole-number member from 0 up; absent leaves out as it is.  The
     * range is checked on the JSON number before it is converted. */
    bool integer(const Json &object, const char *key, int line, int64_t &out,
                 const std::string &owner)
    {
        auto found = object.find(key);
        if (found == object.end()) return true;
        if (!found->is_number_integer())
            return fail(line, owner + ": the field \"" + key + "\" is not a whole number.");
        bool inRange = found->is_number_unsigned()
                           ? found->get<uint64_t>() <= uint64_t(INT64_MAX)
                           : found->get<int64_t>() >= 0;
        if (!inRange)
            return fail(line, owner + ": the field \"" + key + "\" is " + found->dump() +
                                  ", outside 0 to " + std::to_string(INT64_MAX) + ".");
        out = found->get<int64_t>();
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

    bool variable(const Json &object, int line, size_t index, Variable &variable)
    {
        std::string owner = "variable " + std::to_string(index + 1);
        if (!object.is_object()) return fail(line, owner + " is not an object.");
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
    std::vector<int> objectLines;
    std::string rootKey, lastKey;
    Json root;
    try {
        LineCountingIterator first{text.data(), &line}, last{text.data() + text.size(), &line};
        root = Json::parse(first, last, [&](int depth, Json::parse_event_t event, Json &parsed) {
            if (event == Json::parse_event_t::key) {
                lastKey = parsed.get<std::string>();
                if (depth == 1) rootKey = lastKey;
            }
            /* Only the objects of the "variables" list are variables. */
            if (event == Json::parse_event_t::object_start && depth == kVariableDepth &&
                rootKey == "variables")
                objectLines.push_back(line);
            return true;
        });
    } catch (const Json::parse_error &failure) {
        error = path + ", line " + std::to_string(lineOfByte(text, failure.byte)) +
                ": the sidecar is not valid JSON; mend the text there.";
        return false;
    } catch (const Json::exception &) {
        /* A number beyond the range of a double, and the like. */
        error = path + ", line " + std::to_string(line) + ": the value of the field \"" +
                shownText(lastKey) + "\" cannot be read: it is out of range; write a smaller number.";
        return false;
    }

    Reader reader{path, error};
    if (!root.is_object()) return reader.fail(1, "the sidecar is not a JSON object.");
    DataSetDescription result;
    if (!reader.text(root, "label", false, 1, result.label, "the data set")) return false;
    if (result.label.size() > size_t(ORV_DS_LABEL_LENGTH))
        return reader.fail(1, "the data set's label is longer than 256 characters.");
    if (!reader.integer(root, "observations", 1, result.observations, "the data set") ||
        !reader.integer(root, "csvBytes", 1, result.csvBytes, "the data set"))
        return false;
    auto variables = root.find("variables");
    if (variables == root.end()) return reader.fail(1, "the sidecar has no \"variables\" field.");
    if (!variables->is_array()) return reader.fail(1, "\"variables\" is not a list.");
    std::unordered_map<std::string, size_t> seen; /* upper-case name, variable number */
    for (size_t i = 0; i < variables->size(); ++i) {
        int objectLine = i < objectLines.size() ? objectLines[i] : 1;
        Variable variable;
        if (!reader.variable((*variables)[i], objectLine, i, variable)) return false;
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
    nlohmann::ordered_json root;
    root["label"] = description.label;
    if (description.observations >= 0) root["observations"] = description.observations;
    if (description.csvBytes >= 0) root["csvBytes"] = description.csvBytes;
    nlohmann::ordered_json variables = nlohmann::ordered_json::array();
    for (const Variable &variable : description.variables) {
        nlohmann::ordered_json entry;
        entry["name"] = variable.name;
        entry["type"] = variable.type == VariableType::Numeric ? "numeric" : "character";
        entry["length"] = variable.length;
        entry["label"] = variable.label;
        entry["format"] =
            formatText(variable.formatName, variable.formatWidth, variable.formatDecimals);
        if (!variable.informatName.empty())
            entry["informat"] = formatText(variable.informatName, variable.informatWidth,
                                           variable.informatDecimals);
        variables.push_back(std::move(entry));
    }
    root["variables"] = std::move(variables);
    /* Text that is not UTF-8 is written with replacement characters rather
     * than failing the whole data set. */
    std::string text =
        root.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";

    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    bool ok = fd >= 0 && writeFileBytes(fd, text.data(), text.size());
    if (ok && ::fsync(fd) != 0) ok = false;
    if (fd >= 0 && ::close(fd) != 0) ok = false;
    if (!ok) error = "The sidecar " + path + " cannot be written: " + std::strerror(errno) + ".";
    return ok;
}

}  // namespace orvhost
