/*
 * log.cpp - writes log and listing lines.
 */
#include "platform/log.h"

namespace orvhost {

void Log::write(LogKind kind, std::string_view text)
{
    switch (kind) {
    case LogKind::Note: *out_ << "NOTE: "; break;
    case LogKind::Warning: *out_ << "WARNING: "; break;
    case LogKind::Error: *out_ << "ERROR: "; break;
    case LogKind::Plain: break;
    }
    *out_ << text << '\n';
    out_->flush();
}

}  // namespace orvhost
