/*
 * options.h - the host's system options and the option texts it hands out.
 *
 * Exports SystemOptions, the registry that a Host keeps for the life of the
 * process.  The options, their names matched without regard to case:
 *   DEBUG       parser trace words: SYN, SEM
 *   EVENTDS     date-key data sets: NODEFAULTS, DEFAULTS, libref.member ...
 *   INTERVALDS  custom intervals: name=libref.member ...
 * The words of DEBUG, EVENTDS and INTERVALDS are separated by blanks and
 * may stand in one pair of parentheses; names in any case.
 *   YEARCUTOFF  first year of the hundred years that two-digit years fall
 *               into; an integer from 1582 to 19900, default 1926
 * Every option starts out unset (empty text), except YEARCUTOFF.
 *
 * The services hand the modules texts that the modules may change and, for
 * xyrcgef, free.  The registry keeps those texts itself, so a module can
 * never free or overrun a block of the host's memory pools through them, and
 * a text that a step does not give back is dropped when the step ends.
 */
#ifndef ORV_PLATFORM_OPTIONS_H
#define ORV_PLATFORM_OPTIONS_H

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace orvhost {

enum class OptionId { Debug, EventDs, IntervalDs, YearCutoff };
constexpr size_t kOptionCount = 4;

/* Option id under which the modules read the two-digit-year cut-off. */
constexpr int kYearCutoffOptionId = 4443;

constexpr int kDefaultYearCutoff = 1926;
constexpr int kMinYearCutoff = 1582;  /* two-digit years stay on or after 1582 */
constexpr int kMaxYearCutoff = 19900; /* ... and on or before 20000 */

/* Longest option text the host keeps: the services report lengths in ints,
 * and no option needs more. */
constexpr size_t kMaxOptionTextLength = 32767;

class SystemOptions {
public:
    SystemOptions();
    SystemOptions(const SystemOptions &) = delete;
    SystemOptions &operator=(const SystemOptions &) = delete;

    /* The option of a name (any case, surrounding blanks ignored); false
     * when there is no such option. */
    static bool find(std::string_view name, OptionId &idOut);

    /* The upper-case name of an option. */
    static std::string_view nameOf(OptionId id);

    /* The names of every option, separated by ", " (for messages). */
    static std::string knownNames();

    /* Sets option `name` to `value`.  Returns "" on success, otherwise a
     * message saying what is wrong (unknown name, a YEARCUTOFF that is not
     * an integer from 1582 to 19900, a DEBUG, EVENTDS or INTERVALDS value
     * outside its form, a text longer than 32767 bytes); the option then
     * keeps its value. */
    std::string set(std::string_view name, std::string_view value);

    /* Sets a text option (not YEARCUTOFF) to text as it stands, without the
     * checks of set: for tests of how the services and the modules take
     * texts that a user cannot give.  Texts longer than 32767 bytes are
     * cut. */
    void setText(OptionId id, std::string_view text);

    /* Sets from "NAME=VALUE" as given on the command line; a text without
     * "=" is refused.  Returns as set. */
    std::string setAssignment(std::string_view assignment);

    /* The option's text (YEARCUTOFF as its decimal digits). */
    const std::string &text(OptionId id) const { return texts_[size_t(id)]; }

    int yearCutoff() const { return yearCutoff_; }

    /* A NUL-terminated copy of text, alive until the step ends; the caller
     * may change its bytes.  Null only when memory runs out. */
    char *stepCopy(std::string_view text);

    /* A NUL-filled block of max(capacity, text length + 1) bytes that starts
     * with text, alive until freeText or the end of the step.  Null only when
     * memory runs out. */
    char *allocateText(std::string_view text, int capacity);

    /* Frees a block of allocateText; false (and nothing happens) for any
     * other pointer, so a double free or a stray pointer is harmless. */
    bool freeText(const void *block);

    /* Number of texts handed out and still alive (copies and blocks). */
    size_t liveTextCount() const { return stepCopies_.size() + blocks_.size(); }

    /* Drops every text handed out during the step. */
    void releaseStep();

private:
    std::array<std::string, kOptionCount> texts_;
    int yearCutoff_ = kDefaultYearCutoff;
    std::vector<std::unique_ptr<char[]>> stepCopies_;
    std::unordered_map<const void *, std::unique_ptr<char[]>> blocks_;
};

}  // namespace orvhost

#endif
