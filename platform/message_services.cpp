/*
 * message_services.cpp - host routines that log messages and fetch their
 * texts from the catalogue.
 */
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/host.h"
#include "platform/service_table.h"
#include "platform/step.h"

namespace host_routines {

namespace {

using orvhost::Host;
using orvhost::MessageArg;

/* The message text in a caller's buffer: at most `capacity` bytes, with a
 * terminating NUL when there is room for it; returns the length copied. */
int copyText(const std::string &text, char *buffer, int capacity)
{
    if (buffer == nullptr || capacity <= 0) return 0;
    size_t length = std::min(text.size(), size_t(capacity));
    std::memcpy(buffer, text.data(), length);
    if (length < size_t(capacity)) buffer[length] = '\0';
    return int(length);
}

int textInto(char *buffer, int capacity, int set, int number, va_list args)
{
    std::vector<MessageArg> items = orvhost::readMessageArgs(args);
    return copyText(messageText(Host::current().catalogue(), set, number, items).text, buffer,
                    capacity);
}

constexpr int kMessageBufferSize = 256;

}  // namespace

void xpmlog(int set, int number, ...)
{
    va_list args;
    va_start(args, number);
    std::vector<MessageArg> items = orvhost::readMessageArgs(args);
    va_end(args);
    Host::current().logMessage(set, number, items);
}

/* All log handles of a step lead to the one host log. */
void xpmrlog(void *, int set, int number, ...)
{
    va_list args;
    va_start(args, number);
    std::vector<MessageArg> items = orvhost::readMessageArgs(args);
    va_end(args);
    Host::current().logMessage(set, number, items);
}

void xprrlog(void *, int status)
{
    Host &host = Host::current();
    if (host.catalogue().find(orvhost::kHostStatusMessageSet, status) != nullptr) {
        /* A failing utility file's text says why: the temporary file's
         * directory and the system's reason. */
        std::vector<MessageArg> args;
        if (status == orvhost::kUtilityStatusIoFailure)
            args.push_back({MessageArg::Type::Text, 0, 0, host.utilityFiles().lastFailure()});
        host.logMessage(orvhost::kHostStatusMessageSet, status, args);
        return;
    }
    char text[64];
    std::snprintf(text, sizeof text, "The host reported status 0x%08X.", unsigned(status));
    host.log().error(text);
}

int xpmstr(char *buffer, int bufferLength, int set, int number, ...)
{
    va_list args;
    va_start(args, number);
    int length = textInto(buffer, bufferLength, set, number, args);
    va_end(args);
    return length;
}

int xpmrstr(void *, char *buffer, int set, int number, ...)
{
    va_list args;
    va_start(args, number);
    int length = textInto(buffer, kMessageBufferSize, set, number, args);
    va_end(args);
    return length;
}

int wkread(int set, int number, const char **textOut, int *lengthOut)
{
    const orvhost::CatalogueEntry *entry = Host::current().catalogue().find(set, number);
    if (textOut != nullptr) *textOut = entry != nullptr ? entry->text.data() : nullptr;
    if (lengthOut != nullptr) *lengthOut = entry != nullptr ? int(entry->text.size()) : 0;
    return entry != nullptr ? 0 : 1;
}

}  // namespace host_routines
