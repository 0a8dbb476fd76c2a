/*
 * log.h - the step log and the procedure listing of orvhost.
 *
 * Log lines carry their kind ("NOTE: ", "WARNING: ", "ERROR: "); listing lines
 * are written as they come.  Both go to one stream (standard output unless a
 * test or the command line says otherwise).  Every line is written as one
 * line: a line feed, another control byte or a byte that is not part of
 * valid UTF-8 is shown as \xNN, so that no text a user supplied can end a
 * line early or make a line of its own.  A write that fails is remembered,
 * so that orvhost can end with a failing status instead of losing the log
 * unseen.
 *
 * Exports: LogKind, LogGate, Log, shownText, shownPath, kShownTextLength,
 * kShownPathLength.
 */
#ifndef ORV_PLATFORM_LOG_H
#define ORV_PLATFORM_LOG_H

#include <ostream>
#include <string>
#include <string_view>

namespace orvhost {

enum class LogKind { Note, Warning, Error, Plain };

/* Most bytes of a name or value from the user, and of a path, that a
 * message repeats. */
constexpr size_t kShownTextLength = 64;
constexpr size_t kShownPathLength = 4096;

/* text as a message repeats it: cut to kShownTextLength bytes (never inside
 * a UTF-8 character) with "..." after a cut, control bytes and bytes that
 * are not valid UTF-8 written as \xNN. */
std::string shownText(std::string_view text);

/* A path as a message repeats it: as shownText, cut at kShownPathLength. */
std::string shownPath(std::string_view path);

/* Something that may keep finished lines back to write them later, in
 * their order, through Log::writeLine (the data-set store's write-behind,
 * whose failures must show before the lines that came after them). */
class LogGate {
public:
    /* True when the gate keeps line (its line feed included). */
    virtual bool holds(std::string_view line) = 0;

protected:
    ~LogGate() = default;
};

class Log {
public:
    explicit Log(std::ostream &out) : out_(&out) {}

    void write(LogKind kind, std::string_view text);

    /* Writes a finished line (line feed included) as it stands. */
    void writeLine(std::string_view line);

    /* Lines pass gate first from now on; null: none. */
    void setGate(LogGate *gate) { gate_ = gate; }
    void note(std::string_view text) { write(LogKind::Note, text); }
    void warning(std::string_view text) { write(LogKind::Warning, text); }
    void error(std::string_view text) { write(LogKind::Error, text); }

    /* A line of the procedure listing. */
    void listing(std::string_view text) { write(LogKind::Plain, text); }

    void redirect(std::ostream &out) { out_ = &out; }

    /* True once a line could not be written (the stream failed). */
    bool writeFailed() const { return writeFailed_; }

    /* ERROR lines written (or handed to the gate) so far. */
    long errorCount() const { return errorCount_; }

private:
    std::ostream *out_;
    LogGate *gate_ = nullptr;
    bool writeFailed_ = false;
    long errorCount_ = 0;
};

}  // namespace orvhost

#endif
