/*
 * libraries.cpp - library references and the temporary WORK library.
 */
#include "platform/dataset/libraries.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "host/host_records.h"
#include "host/variable_names.h"
#include "platform/log.h"
#include "platform/regular_file.h"

namespace orvhost {

namespace {

constexpr const char *kWork = "WORK";

/* A fresh directory for WORK under $TMPDIR (or /tmp); "" on failure. */
std::string makeTemporaryDirectory()
{
    const char *base = std::getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") +
                          "/orvwork-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) return {};
    return pattern;
}

/* The temporary WORK directory that a signal handler removes: written only
 * outside the handlers, "" when there is none. */
char workForSignals[PATH_MAX];

/* Removes the entries of the directory at path (files, and directories that
 * are empty) and then the directory, with system calls only: safe in a
 * signal handler. */
void removeDirectory(const char *path)
{
    int directory = ::open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directory >= 0) {
        alignas(8) char entries[4096];
        for (;;) {
            long got = ::syscall(SYS_getdents64, directory, entries, sizeof entries);
            if (got <= 0) break;
            for (long at = 0; at < got;) {
                /* struct linux_dirent64: inode 8, offset 8, record length
                 * 2, type 1, then the name. */
                unsigned short length;
                std::memcpy(&length, entries + at + 16, sizeof length);
                const char *name = entries + at + 19;
                bool dot = name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
                if (!dot && ::unlinkat(directory, name, 0) != 0)
                    ::unlinkat(directory, name, AT_REMOVEDIR);
                at += length;
            }
        }
        ::close(directory);
    }
    ::rmdir(path);
}

/* Temporary files of outputs being written, which a signal handler
 * removes: a slot's path is written only while its flag is clear, and read
 * by the handler only while it is set. */
constexpr int kFileSlots = 32;
char filesForSignals[kFileSlots][PATH_MAX];
std::atomic<bool> fileSlotUsed[kFileSlots];
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void removeWorkAndStop(int signal)
{
    for (int slot = 0; slot < kFileSlots; ++slot)
        if (fileSlotUsed[slot].load()) ::unlink(filesForSignals[slot]);
    if (workForSignals[0] != '\0') removeDirectory(workForSignals);
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

}  // namespace

void removeWorkOnSignals()
{
    struct sigaction action {};
    action.sa_handler = removeWorkAndStop;
    sigemptyset(&action.sa_mask);
    sigaddset(&action.sa_mask, SIGTERM);
    sigaddset(&action.sa_mask, SIGINT);
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}

void removeFileOnSignals(const std::string &path)
{
    if (path.size() >= PATH_MAX) return;
    for (int slot = 0; slot < kFileSlots; ++slot) {
        if (fileSlotUsed[slot].load()) continue;
        std::memcpy(filesForSignals[slot], path.c_str(), path.size() + 1);
        fileSlotUsed[slot].store(true);
        return;
    }
}

void forgetFileOnSignals(const std::string &path)
{
    for (int slot = 0; slot < kFileSlots; ++slot)
        if (fileSlotUsed[slot].load() && path == filesForSignals[slot]) fileSlotUsed[slot].store(false);
}

bool isValidName(std::string_view name, size_t maxLength) { return orvIsName(name.data(), name.size(), maxLength); }

Libraries::~Libraries()
{
    if (temporaryWork_.empty()) return;
    if (temporaryWork_ == workForSignals) workForSignals[0] = '\0';
    std::error_code ignored;
    std::filesystem::remove_all(temporaryWork_, ignored);
}

std::string upperName(std::string_view name)
{
    std::string result(name);
    for (char &c : result) c = char(std::toupper(static_cast<unsigned char>(c)));
    return result;
}

std::string Libraries::canonical(std::string_view name)
{
    return name.empty() ? std::string(kWork) : upperName(name);
}

bool Libraries::assign(std::string_view name, const std::string &directory, std::string &error)
{
    if (!isValidName(name, ORV_DS_LIBREF_LENGTH)) {
        error = "The library reference \"" + shownText(name) +
                "\" is not valid: it must be 1 to 8 letters, digits or underscores, "
                "starting with a letter or underscore.";
        return false;
    }
    std::string cannot = "The library " + canonical(name) + " cannot be assigned: ";
    if (directory.empty()) {
        error = cannot + "the directory name is empty; give the path of a directory.";
        return false;
    }
    struct stat info {};
    if (::stat(directory.c_str(), &info) != 0) {
        int cause = errno;
        error = cannot + (cause == ENOENT ? "the directory " + shownPath(directory) +
                                                " does not exist; create it or give the right path."
                                          : "the directory " + shownPath(directory) +
                                                " cannot be reached: " + std::strerror(cause) +
                                                "; check the path and its permissions.");
        return false;
    }
    if (!S_ISDIR(info.st_mode)) {
        error = cannot + shownPath(directory) + " is " +
                (S_ISREG(info.st_mode) ? "a file" : fileKindName(info.st_mode)) +
                ", not a directory; give the path of a directory.";
        return false;
    }
    if (::access(directory.c_str(), R_OK | X_OK) != 0) {
        error = cannot + "the directory " + shownPath(directory) +
                " cannot be searched: " + std::strerror(errno) + "; check its permissions.";
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
        if (temporaryWork_.empty()) {
            temporaryWork_ = makeTemporaryDirectory();
            if (temporaryWork_.size() < sizeof workForSignals)
                std::memcpy(workForSignals, temporaryWork_.c_str(), temporaryWork_.size() + 1);
        }
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
