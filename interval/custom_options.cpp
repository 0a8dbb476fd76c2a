/*
 * custom_options.cpp - the INTERVALDS entries and the entry of a custom
 * interval (see custom_options.h).
 */
#include "interval/custom_options.h"

#include <cstdio>
#include <cstring>
#include <string_view>

#include "host/custom_interval_records.h"
#include "host/host_records.h"
#include "host/interval_ds_text.h"
#include "host/services.h"

namespace {

constexpr char kOptionName[] = "INTERVALDS";

/* Copies n bytes into a blank-padded field of ZINT_CUSTOM_FIELD bytes
 * (cut there) and returns n. */
int16_t putField(char *field, const char *text, size_t n)
{
    std::memset(field, ' ', ZINT_CUSTOM_FIELD);
    std::memcpy(field, text, n < size_t(ZINT_CUSTOM_FIELD) ? n : size_t(ZINT_CUSTOM_FIELD));
    return int16_t(n < 0x7FFF ? n : 0x7FFF);
}

void clearEntry(ZINT_CUSTOM_ENTRY *entry)
{
    std::memset(entry, 0, sizeof *entry);
    std::memset(entry->name, ' ', sizeof entry->name);
    std::memset(entry->libref, ' ', sizeof entry->libref);
    std::memset(entry->member, ' ', sizeof entry->member);
}

/* The upper-cased INTERVALDS text, or null. */
char *optionText()
{
    int length = 0;
    char *text = xoptcgt(kOptionName, &length);
    if (text != nullptr && length > 0) wzstrup(text, length);
    return text;
}

/* How an entry names a custom interval: 0 the whole name, 1 with the
 * multiplier, 2 with the multiplier and shift, 3 ".1"; -1 not at all. */
int matchKind(const ZINT_CUSTOM_ENTRY &entry, const char *name, int length, int32_t m, int32_t shift)
{
    const int n = entry.nameLength;
    if (n < 1 || n > length || std::memcmp(entry.name, name, size_t(n)) != 0) return -1;
    if (n == length) return 0;
    if (m < 1) return -1;
    char withM[16];
    char withShift[32];
    std::snprintf(withM, sizeof withM, "%d", int(m));
    std::snprintf(withShift, sizeof withShift, "%d.%lld", int(m), static_cast<long long>(shift) + 1);
    const char *rest = name + n;
    const size_t restLength = size_t(length - n);
    auto same = [&](const char *text) { return std::strlen(text) == restLength && std::memcmp(rest, text, restLength) == 0; };
    if (same(withM)) return 1;
    if (same(withShift)) return 2;
    if (m == 1 && shift == 0 && same(".1")) return 3;
    return -1;
}

}  // namespace

bool zintCustomEntryUsable(const ZINT_CUSTOM_ENTRY &entry)
{
    return entry.nameLength >= 1 && entry.nameLength <= ZINT_CUSTOM_FIELD && entry.memberLength >= 1 &&
           entry.memberLength <= ZINT_CUSTOM_FIELD && entry.librefLength >= 0 &&
           entry.librefLength <= ZINT_CUSTOM_LIBREF_MAX;
}

int parseIntervalDS(const char *text, ZINT_CUSTOM_ENTRY *entry, const char **cursor)
{
    clearEntry(entry);
    const std::string_view whole(text);
    size_t at = *cursor != nullptr ? size_t(*cursor - text) : 0;
    std::string_view name, value;
    if (!orvNextIntervalDsEntry(whole, &at, &name, &value)) {
        *cursor = nullptr;
        return 1;
    }
    entry->nameLength = putField(entry->name, name.data(), name.size());
    const size_t dot = value.find('.');
    if (dot == std::string_view::npos) {
        entry->memberLength = putField(entry->member, value.data(), value.size());
    } else {
        entry->librefLength = putField(entry->libref, value.data(), dot);
        entry->memberLength = putField(entry->member, value.data() + dot + 1, value.size() - dot - 1);
    }
    *cursor = text + at;
    return 0;
}

void parseIntervalOptions(ZINT_CUSTOM_ENTRY *entries, int *count, int *status)
{
    const int capacity = *count;
    *count = 0;
    const char *text = optionText();
    *status = text == nullptr ? 1 : 0;
    if (text == nullptr) return;
    const char *cursor = nullptr;
    while (*count < capacity && parseIntervalDS(text, &entries[*count], &cursor) == 0) ++*count;
}

int getCustomIntervalDSRef(ZINT_CUSTOM_ENTRY *entry, const ZINT_DESC *desc, int32_t *multiplier, int32_t *shift)
{
    clearEntry(entry);
    *multiplier = -1;
    *shift = -1;
    const char *text = optionText();
    if (text == nullptr || desc == nullptr) return 1;
    const int length = desc->nameLength < 0 ? 0 : desc->nameLength > ZINT_NAME_MAX ? ZINT_NAME_MAX : desc->nameLength;
    char name[ZINT_NAME_MAX + 1];
    std::memcpy(name, desc->name, size_t(length));
    wzstrup(name, length);
    /* The whole name first, over every entry; then the entries with a
     * multiplier and shift, in option order. */
    for (int pass = 0; pass < 2; ++pass) {
        const char *cursor = nullptr;
        ZINT_CUSTOM_ENTRY candidate;
        while (parseIntervalDS(text, &candidate, &cursor) == 0) {
            if (!zintCustomEntryUsable(candidate)) continue;
            const int kind = matchKind(candidate, name, length, desc->multiplier, desc->shift);
            if (kind < 0 || (pass == 0) != (kind == 0)) continue;
            *entry = candidate;
            *multiplier = kind == 0 || kind == 3 ? 1 : desc->multiplier;
            *shift = kind == 2 ? desc->shift : 0;
            return 0;
        }
    }
    return 1;
}

int zintCustomOpen(const ZINT_CUSTOM_ENTRY &entry, void **handle)
{
    *handle = nullptr;
    DATA_SET_OPEN_REQUEST request;
    std::memset(&request, 0, sizeof request);
    std::memset(request.libref, ' ', sizeof request.libref);
    std::memcpy(request.libref, entry.libref, size_t(ZINT_CUSTOM_LIBREF_MAX));
    std::memcpy(request.member, entry.member, sizeof request.member);
    request.memberLength = entry.memberLength;
    request.mode = ORV_DS_OPEN_INPUT;
    const int status = xoopen(&request, handle);
    if (status != 0 && *handle != nullptr) xoclose(*handle);
    if (status != 0) *handle = nullptr;
    return status != 0 ? status : *handle == nullptr ? ZINT_STATUS_CUSTOM_FAILURE : 0;
}
