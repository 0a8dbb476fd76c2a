/*
 * log.h - the step log and the procedure listing of orvhost.
 *
 * Log lines carry their kind ("NOTE: ", "WARNING: ", "ERROR: "); listing lines
 * are written as they come.  Both go to one stream (standard output unless a
 * test or the command line says otherwise).
 */
#ifndef ORV_PLATFORM_LOG_H
#define ORV_PLATFORM_LOG_H

#include <ostream>
#include <string_view>

namespace orvhost {

enum class LogKind { Note, Warning, Error, Plain };

class Log {
public:
    explicit Log(std::ostream &out) : out_(&out) {}

    void write(LogKind kind, std::string_view text);
    void note(std::string_view text) { write(LogKind::Note, text); }
    void warning(std::string_view text) { write(LogKind::Warning, text); }
    void error(std::string_view text) { write(LogKind::Error, text); }

    /* A line of the procedure listing. */
    void listing(std::string_view text) { write(LogKind::Plain, text); }

    void redirect(std::ostream &out) { out_ = &out; }

private:
    std::ostream *out_;
};

}  // namespace orvhost

#endif
