/*
 * message_text.h - typed message arguments and the text of a message.
 */
#ifndef ORV_PLATFORM_MESSAGE_TEXT_H
#define ORV_PLATFORM_MESSAGE_TEXT_H

#include <cstdarg>
#include <span>
#include <string>
#include <vector>

#include "platform/catalogue.h"

namespace orvhost {

struct MessageArg {
    enum class Type { Integer, Double, Text } type;
    long integer = 0;
    double number = 0;
    std::string text;
};

/* Reads the typed items of a service call (host/service_args.h) up to
 * ORV_MSG_END, an unknown type code, or ORV_MSG_MAX_ITEMS items. */
std::vector<MessageArg> readMessageArgs(va_list args);

struct MessageText {
    MessageKind kind;
    std::string text;
};

/* The text of message (set, number) with its arguments.  A message the
 * catalogue lacks gives a warning that names the set, the number and the
 * arguments. */
MessageText messageText(const Catalogue &catalogue, int set, int number,
                        std::span<const MessageArg> args);

}  // namespace orvhost

#endif
