/*
 * message_text.cpp - reads typed message arguments and fills catalogue texts.
 */
#include "platform/message_text.h"

#include "host/service_args.h"
#include "platform/number_text.h"

namespace orvhost {
namespace {

std::string argumentText(const MessageArg &arg)
{
    switch (arg.type) {
    case MessageArg::Type::Integer: return std::to_string(arg.integer);
    case MessageArg::Type::Double: return numberText(arg.number);
    case MessageArg::Type::Text: return arg.text;
    }
    return {};
}

std::string fill(std::string_view pattern, std::span<const MessageArg> args)
{
    std::string out;
    for (size_t i = 0; i < pattern.size(); ++i) {
        char c = pattern[i];
        if (c != '%' || i + 1 == pattern.size()) {
            out += c;
            continue;
        }
        char next = pattern[i + 1];
        if (next == '%') {
            out += '%';
            ++i;
        } else if (next >= '1' && next <= '9') {
            size_t index = size_t(next - '1');
            out += index < args.size() ? argumentText(args[index]) : std::string{"?"};
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

std::vector<MessageArg> readMessageArgs(va_list args)
{
    std::vector<MessageArg> result;
    for (int item = 0; item < ORV_MSG_MAX_ITEMS; ++item) {
        int type = va_arg(args, int);
        if (type == ORV_MSG_INT) {
            result.push_back({MessageArg::Type::Integer, va_arg(args, long), 0, {}});
        } else if (type == ORV_MSG_DBL) {
            result.push_back({MessageArg::Type::Double, 0, va_arg(args, double), {}});
        } else if (type == ORV_MSG_TEXT) {
            int length = va_arg(args, int);
            const char *text = va_arg(args, const char *);
            MessageArg arg{MessageArg::Type::Text, 0, 0, {}};
            if (text != nullptr && length > 0) arg.text.assign(text, size_t(length));
            result.push_back(std::move(arg));
        } else {
            break; /* ORV_MSG_END, or a code no caller should pass */
        }
    }
    return result;
}

MessageText messageText(const Catalogue &catalogue, int set, int number,
                        std::span<const MessageArg> args)
{
    if (const CatalogueEntry *entry = catalogue.find(set, number))
        return {entry->kind, fill(entry->text, args)};
    std::string text = "Message (" + std::to_string(set) + ", " + std::to_string(number) +
                       ") is not in the message catalogue.";
    for (size_t i = 0; i < args.size(); ++i)
        text += (i == 0 ? " Arguments: " : ", ") + argumentText(args[i]);
    return {MessageKind::Warning, text};
}

}  // namespace orvhost
