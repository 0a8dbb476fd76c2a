/*
 * libraries.cpp - library references and the temporary WORK library.
 */
#include "platform/dataset/libraries.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>

#include "host/host_records.h"

namespace orvhost {

namespace {

constexpr const char *kWork = "WORK";

bool isNameStart(unsigned char c) { return std::isalpha(c) != 0 || c == '_'; }
bool isNamePart(unsigned char c) { return std::isalnum(c) != 0 || c == '_'; }

/* A fresh directory for WORK under $TMPDIR (or /tmp); "" on failure. */
std::string makeTemporaryDirectory()
{
    const char *base = std::getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") +
                          "/orvwork-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) return {};
    return pattern;
}

}  // namespace

bool isValidName(std::string_view name, size_t maxLength)
{
    if (name.empty() || name.size() > maxLength) return false;
    if (!isNameStart(static_cast<unsigned char>(name[0]))) return false;
    for (char c : name)
        if (!isNamePart(static_cast<unsigned char>(c))) return false;
    return true;
}

Libraries::~Libraries()
{
    if (temporaryWork_.empty()) return;
    std::error_code ignored;
    std::filesystem::remove_all(temporaryWork_, ignored);
}

std::string Libraries::canonical(std::string_view name)
{
    if (name.empty()) return kWork;
    std::string result(name);
    for (char &c : result) c = char(std::toupper(static_cast<unsigned char>(c)));
    return result;
}

bool Libraries::assign(std::string_view name, const std::string &directory, std::string &error)
{
    if (!isValidName(name, ORV_DS_LIBREF_LENGTH)) {
        error = "The library reference \"" + std::string(name) +
                "\" is not valid: it must be 1 to 8 letters, digits or underscores, "
                "starting with a letter or underscore.";
        return false;
    }
    std::error_code failure;
    if (!std::filesystem::is_directory(directory, failure)) {
        error = "The library " + canonical(name) + " cannot be assigned: the directory " +
                directory + " does not exist.";
        return false;
    }
    directories_[canonical(name)] = directory;
    return true;
}

std::string Libraries::directory(std::string_view name, std::string &error)
{
    std::string key = canonical(name);
    auto found = directories_.find(key);
    if (found != directories_.end()) return found->second;
    if (key == kWork) {
        if (temporaryWork_.empty()) temporaryWork_ = makeTemporaryDirectory();
        if (temporaryWork_.empty()) {
            error = "The WORK library could not be made: no temporary directory could be created.";
            return {};
        }
        return temporaryWork_;
    }
    error = "The library " + key + " is not assigned.";
    return {};
}

}  // namespace orvhost
