/*
 * by_text.cpp - the current BY group's values as message text (see
 * by_text.h).
 */
#include "procdriver/by_text.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "host/format_records.h"
#include "host/parser_glue.h"
#include "host/services.h"
#include "host/text_fields.h"
#include "procdriver/time_text.h"

namespace {

constexpr int kPoolFlags = 0x2002;
/* The most bytes of one value in the text. */
constexpr int kValueLimit = 64;

}  // namespace

struct KIV_BY_VARIABLE {
    VARIABLE_DESCRIPTOR d;
    int64_t formatCode;           /* ORV_NO_FORMAT: the shortest number text */
    double number;
    char chars[kValueLimit];
};

namespace {

void *allocate(PROC_STATE *state, size_t bytes)
{
    void *p = vmalcp_handler(state->optionPool, bytes, kPoolFlags);
    if (p != nullptr) std::memset(p, 0, bytes);
    return p;
}

/* The host's code of the variable's format with its decimals (COMMA12.2
 * shows two), or ORV_NO_FORMAT when the host knows no such format. */
int64_t formatOf(const VARIABLE_DESCRIPTOR &d)
{
    int64_t code = ORV_NO_FORMAT;
    const int length = wzstrip(d.formatName, std::clamp<int>(d.formatNameLength, 0, ORV_DS_FORMAT_NAME_LENGTH));
    if (length <= 0) return ORV_NO_FORMAT;
    char name[ORV_DS_FORMAT_NAME_LENGTH + 8]; /* the name, '.', at most 5 digits and a NUL */
    std::memcpy(name, d.formatName, size_t(length));
    int nameLength = length;
    if (d.formatDecimals > 0)
        nameLength += std::snprintf(name + length, sizeof name - size_t(length), ".%d", int(d.formatDecimals));
    if (xfrname(nullptr, name, nameLength, ORV_FORMAT_KIND_FORMAT, nullptr, &code) != 0) return ORV_NO_FORMAT;
    return code;
}

/* Appends length bytes of text while they fit. */
void append(KIV_BY_TEXT *by, const char *text, int length)
{
    const int room = KIV_BY_TEXT_SIZE - 1 - by->length;
    length = std::clamp(length, 0, room);
    std::memcpy(by->text + by->length, text, size_t(length));
    by->length += length;
}

}  // namespace

void kivByTextSetUp(PROC_STATE *state)
{
    const ZTS_PROC *series = &state->series;
    state->byText = nullptr;
    if (series->byCount <= 0 || series->byVars == nullptr) return;
    auto *by = static_cast<KIV_BY_TEXT *>(allocate(state, sizeof(KIV_BY_TEXT)));
    auto *variables = static_cast<KIV_BY_VARIABLE *>(
        by != nullptr ? allocate(state, sizeof(KIV_BY_VARIABLE) * size_t(series->byCount)) : nullptr);
    DATA_SET_HANDLE *data = series->ioInfo.byXofid;
    void *fetch = nullptr;
    if (variables != nullptr) xvgeti(data, series->byCount, &fetch);
    if (fetch == nullptr) {
        kivRaise(state, KIV_RC_MEMORY);
        state->stop = 1;
        return;
    }
    for (int32_t i = 0; i < series->byCount; ++i) {
        KIV_BY_VARIABLE &v = variables[i];
        const int number = std::abs(series->byVars[i]);
        xvname(data, number, &v.d);
        v.formatCode = formatOf(v.d);
        if (v.d.type == ORV_VAR_NUMERIC)
            xvgetd(fetch, number, ORV_VAR_NUMERIC, &v.number, 8, 8, 0, 0);
        else
            xvgetd(fetch, number, ORV_VAR_CHARACTER, v.chars, kValueLimit, kValueLimit, 0, 0);
    }
    xvgete(fetch);
    by->fetch = fetch;
    by->count = series->byCount;
    by->variables = variables;
    state->byText = by;
}

void kivByTextRead(PROC_STATE *state, const void *row)
{
    KIV_BY_TEXT *by = state->byText;
    if (by == nullptr) return;
    by->length = 0;
    if (xyvget(by->fetch, 0, row) == 0) {
        for (int32_t i = 0; i < by->count; ++i) {
            const KIV_BY_VARIABLE &v = by->variables[i];
            if (i > 0) append(by, ", ", 2);
            append(by, v.d.name, wzstrip(v.d.name, std::clamp<int>(v.d.nameLength, 0, ORV_DS_VARIABLE_NAME_LENGTH)));
            append(by, "=", 1);
            if (v.d.type == ORV_VAR_NUMERIC) {
                char value[KIV_TIME_TEXT_SIZE];
                append(by, value, kivValueText(v.formatCode, v.d.formatWidth, v.number, value));
            } else {
                append(by, v.chars, wzstrip(v.chars, std::min<int>(v.d.length, kValueLimit)));
            }
        }
    }
    by->text[by->length] = '\0';
    state->events.byText = by->text;
    state->events.byTextLength = by->length;
}
