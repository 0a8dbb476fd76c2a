/*
 * date_text.cpp - date2str (see date_text.h), through the host's format
 * services.
 */
#include "event/date_text.h"

#include <cstring>

#include "host/format_records.h"
#include "host/services.h"
#include "host/text_fields.h"

namespace {

struct KindFormat {
    int kind;
    const char *name;
    int width;
};

/* Timing kinds 4 (observation), 8 (date) and 10 (datetime). */
constexpr KindFormat kKindFormats[] = {
    {8, "DATE", 10},
    {10, "DATETIME", 19},
    {4, "INT", 21},
};

constexpr bool fieldsFit()
{
    for (const KindFormat &entry : kKindFormats)
        if (entry.width >= DATE2STR_SIZE) return false;
    return true;
}
static_assert(fieldsFit(), "every field and its NUL fit DATE2STR_SIZE");

}  // namespace

int date2str(int kind, char *buffer, double value)
{
    if (buffer == nullptr) return -1;
    for (const KindFormat &entry : kKindFormats) {
        if (entry.kind != kind) continue;
        int64_t code = ORV_NO_FORMAT;
        if (xfrname(nullptr, entry.name, int(std::strlen(entry.name)), ORV_FORMAT_KIND_FORMAT, nullptr, &code) != 0)
            return -1;
        char field[DATE2STR_SIZE] = {};
        if (xpfs(code, value, field, -entry.width) != 0) return -1;
        /* The field was zero-filled: the text ends at the first NUL. */
        const int length = wzstrip(field, int(strnlen(field, size_t(entry.width))));
        std::memcpy(buffer, field, size_t(length));
        buffer[length] = '\0';
        return length;
    }
    return -1;
}
