/*
 * log.cpp - writes log and listing lines, each as one line, and shows the
 * user's texts in messages (platform/log.h).
 */
#include "platform/log.h"

#include <cstdio>

namespace orvhost {

namespace {

/* Length of the valid UTF-8 character that starts text[i] (0 when the
 * bytes there are no valid character). */
size_t utf8Length(std::string_view text, size_t i)
{
    unsigned char lead = static_cast<unsigned char>(text[i]);
    size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3
                                    : (lead >> 3) == 0x1E ? 4 : 0;
    if (length == 0 || i + length > text.size()) return 0;
    for (size_t k = 1; k < length; ++k)
        if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return 0;
    /* Overlong forms and surrogates are not valid characters. */
    unsigned char second = length > 1 ? static_cast<unsigned char>(text[i + 1]) : 0;
    if ((length == 2 && lead < 0xC2) || (length == 3 && lead == 0xE0 && second < 0xA0) ||
        (length == 3 && lead == 0xED && second >= 0xA0) ||
        (length == 4 && ((lead == 0xF0 && second < 0x90) || lead > 0xF4 ||
                         (lead == 0xF4 && second >= 0x90))))
        return 0;
    return length;
}

/* Appends text with control and invalid bytes as \xNN; at most `limit`
 * bytes of text are taken (whole characters).  Returns the bytes taken. */
size_t appendEscaped(std::string &out, std::string_view text, size_t limit)
{
    size_t i = 0;
    while (i < text.size()) {
        size_t length = utf8Length(text, i);
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (length == 0 || (length == 1 && (c < 0x20 || c == 0x7F))) length = 1;
        if (i + length > limit) break;
        if (length == 1 && (c < 0x20 || c >= 0x7F)) {
            char code[8];
            std::snprintf(code, sizeof code, "\\x%02X", unsigned(c));
            out += code;
        } else {
            out.append(text.substr(i, length));
        }
        i += length;
    }
    return i;
}

/* text escaped and cut at limit bytes, with "..." after a cut. */
std::string shown(std::string_view text, size_t limit)
{
    std::string result;
    if (appendEscaped(result, text, limit) < text.size()) result += "...";
    return result;
}

}  // namespace

std::string shownText(std::string_view text) { return shown(text, kShownTextLength); }

std::string shownPath(std::string_view path) { return shown(path, kShownPathLength); }

void Log::write(LogKind kind, std::string_view text)
{
    std::string line;
    switch (kind) {
    case LogKind::Note: line = "NOTE: "; break;
    case LogKind::Warning: line = "WARNING: "; break;
    case LogKind::Error:
        line = "ERROR: ";
        ++errorCount_;
        break;
    case LogKind::Plain: break;
    }
    appendEscaped(line, text, text.size());
    line += '\n';
    if (gate_ == nullptr || !gate_->holds(line)) writeLine(line);
}

void Log::writeLine(std::string_view line)
{
    *out_ << line;
    out_->flush();
    if (!*out_) {
        writeFailed_ = true;
        out_->clear(); /* later lines are still tried */
    }
}

}  // namespace orvhost
