/*
 * time_text.cpp - time values as message text (see time_text.h).
 */
#include "procdriver/time_text.h"

#include <algorithm>
#include <cstring>

#include "host/format_records.h"
#include "host/services.h"
#include "host/text_fields.h"

namespace {

struct KindFormat {
    char kind;
    const char *name;
    int width;
};
constexpr KindFormat kKindFormats[] = {
    {'d', "DATE", 9},
    {'s', "DATETIME", 19},
};
/* A number without a format: BEST in this width. */
constexpr int kPlainWidth = 16;

/* The default width of a format code, 0 when the host does not know it. */
int defaultWidth(int64_t code)
{
    char name[ORV_DS_FORMAT_NAME_LENGTH];
    std::memset(name, ' ', sizeof name);
    if (xfrshow(code, name, int(sizeof name)) != 0) return 0;
    FORMAT_INFO info{};
    int64_t found = ORV_NO_FORMAT;
    if (xfrname(nullptr, name, wzstrip(name, int(sizeof name)), ORV_FORMAT_KIND_FORMAT, &info, &found) != 0) return 0;
    return info.defaultWidth;
}

/* value rendered left-justified into field (cleared first); its length, or
 * -1 when the format cannot show it. */
int render(int64_t code, int width, double value, char *field)
{
    std::memset(field, 0, KIV_TIME_TEXT_SIZE);
    width = std::min(width, KIV_TIME_TEXT_SIZE - 1);
    if (width <= 0 || xpfs(code, value, field, -width) != 0) return -1;
    const int length = wzstrip(field, int(strnlen(field, size_t(width))));
    /* Asterisks: the value does not fit the format (a year of five digits). */
    if (length > 0 && field[0] == '*') return -1;
    return length;
}

}  // namespace

void kivChooseTimeFormat(PROC_STATE *state, char intervalKind)
{
    if (state->timeFormat.code != 0) return;
    state->timeFormat.code = ORV_NO_FORMAT;
    state->timeFormat.width = kPlainWidth;
    for (const KindFormat &entry : kKindFormats) {
        if (entry.kind != intervalKind) continue;
        int64_t code = ORV_NO_FORMAT;
        if (xfrname(nullptr, entry.name, int(std::strlen(entry.name)), ORV_FORMAT_KIND_FORMAT, nullptr, &code) == 0)
            state->timeFormat = {code, entry.width};
    }
}

int kivTimeText(const PROC_STATE *state, double value, char *buffer)
{
    const KIV_TIME_FORMAT &format = state->timeFormat;
    return kivValueText(format.code != 0 ? format.code : ORV_NO_FORMAT, format.width, value, buffer);
}

int kivValueText(int64_t code, int width, double value, char *buffer)
{
    if (width <= 0) width = defaultWidth(code);
    int length = render(code, width, value, buffer);
    if (length < 0) length = std::max(render(ORV_NO_FORMAT, kPlainWidth, value, buffer), 0);
    buffer[length] = '\0';
    return length;
}
