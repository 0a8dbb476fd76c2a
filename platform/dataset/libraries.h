/*
 * libraries.h - the library references of the data-set store.
 *
 * A library is a directory, named by a library reference of at most eight
 * characters (a letter or '_', then letters, digits or '_'; any case, kept in
 * upper case).  WORK is a temporary directory made on first use for the run
 * and removed with everything in it when the Libraries object goes, unless
 * the user assigned WORK to a directory of their own.
 *
 * A run stopped by SIGTERM or SIGINT removes its temporary WORK directory
 * too, and the temporary files of the outputs it was writing, once
 * removeWorkOnSignals has been called.
 *
 * Exports: class Libraries; isValidName (the rule for library references,
 * member names and variable names), upperName; removeWorkOnSignals,
 * removeFileOnSignals, forgetFileOnSignals.
 */
#ifndef ORV_PLATFORM_DATASET_LIBRARIES_H
#define ORV_PLATFORM_DATASET_LIBRARIES_H

#include <map>
#include <string>
#include <string_view>

namespace orvhost {

/* True when name is 1 to maxLength bytes: an ASCII letter or '_', then
 * ASCII letters, digits or '_' (orvIsName). */
bool isValidName(std::string_view name, size_t maxLength);

/* name in upper case: names are the same in any case. */
std::string upperName(std::string_view name);

/* Installs handlers of SIGTERM and SIGINT that remove the temporary WORK
 * directory of the running Libraries (its files and the directory itself;
 * async-signal-safe) and then end the process by the signal as before. */
void removeWorkOnSignals();

/* The handler of removeWorkOnSignals also removes the file at path (the
 * temporary file of an output being written) until forgetFileOnSignals is
 * called with the same path.  At most 32 files are held; a path beyond them,
 * or longer than PATH_MAX, is not removed. */
void removeFileOnSignals(const std::string &path);
void forgetFileOnSignals(const std::string &path);

class Libraries {
public:
    Libraries() = default;
    ~Libraries();
    Libraries(const Libraries &) = delete;
    Libraries &operator=(const Libraries &) = delete;

    /* Assigns library reference name to directory.  The directory must
     * exist and be searchable.  Returns true, or false with a message in
     * error (bad name, empty path, missing directory, a file or other kind
     * in its place, a directory that cannot be reached or searched); the
     * earlier assignment then stays. */
    bool assign(std::string_view name, const std::string &directory, std::string &error);

    /* The directory of a library reference (any case; empty = WORK), or ""
     * with a message in error when the reference is not assigned or WORK
     * cannot be made. */
    std::string directory(std::string_view name, std::string &error);

    /* The upper-case form of a library reference; "WORK" for an empty one. */
    static std::string canonical(std::string_view name);

private:
    std::map<std::string, std::string> directories_;
    std::string temporaryWork_; /* made by this object, removed with it */
};

}  // namespace orvhost

#endif
