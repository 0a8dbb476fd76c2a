/*
 * eventds_option.cpp - the EVENTDS system option (see eventds_option.h).
 */
#include "event/eventds_option.h"

#include <cstring>

#include "event/event_datasets.h"
#include "event/event_list.h"
#include "event/event_registry.h"
#include "host/services.h"
#include "host/text_fields.h"

namespace {

constexpr const char *kOption = "EVENTDS";
constexpr int kTextCapacity = 256;
constexpr int kMsgTooLong = 606;

/* Message (883, 606): the item's part named `what` is too long. */
void refuse(const char *text, int itemStart, int itemEnd, const char *what)
{
    xpmlog(ZTSEV_MSG_SET, kMsgTooLong, ORV_MSG_TEXT, itemEnd - itemStart + 1, text + itemStart, ORV_MSG_TEXT,
           int(std::strlen(what)), what, ORV_MSG_END);
}

/* One part of a reference (at most 32 characters) into its field. */
void setPart(ORV_COUNTED_NAME *field, const char *part, int length)
{
    std::memset(field->text, ' ', sizeof field->text);
    if (length > 0) std::memcpy(field->text, part, size_t(length));
    field->length = int16_t(wzstrip(field->text, ZTSEV_NAME_SIZE));
}

}  // namespace

int ZTSDKEventdsOptParsNextItem(char **text, int *length, int start, int *itemStart, int *itemEnd)
{
    if (*text == nullptr) {
        *length = xyrcgef(kOption, text, kTextCapacity);
        if (*length < 0 || *text == nullptr) return ZTSDK_ITEM_NO_OPTION;
    }
    const char *t = *text;
    const int last = *length - 1; /* the closing character */
    int p = start < 1 ? 1 : start;
    while (p < last && t[p] == ' ') ++p;
    if (p >= last) return ZTSDK_ITEM_NONE;
    int e = p;
    while (e + 1 < last && t[e + 1] != ' ') ++e;
    *itemStart = p;
    *itemEnd = e;
    const int n = e - p + 1;
    if (wzstcom(t + p, n, "NODEFAULTS", 10) == 0) return ZTSDK_ITEM_NODEFAULTS;
    if (wzstcom(t + p, n, "DEFAULTS", 8) == 0) return ZTSDK_ITEM_DEFAULTS;
    return ZTSDK_ITEM_DATA_SET;
}

int ZTSDKEventdsOptParsFileref(const char *text, int itemStart, int itemEnd, ORV_COUNTED_NAME *libref,
                               ORV_COUNTED_NAME *member)
{
    if (itemEnd < itemStart) return -1;
    const int n = itemEnd - itemStart + 1;
    const char *item = text + itemStart;
    const int dot = wzstpos(item, n, '.');
    const int librefLength = dot < 0 ? 0 : dot;
    const int memberStart = dot < 0 ? 0 : dot + 1;
    if (librefLength > ZTSEV_NAME_SIZE || n - memberStart > ZTSEV_NAME_SIZE) {
        refuse(text, itemStart, itemEnd, librefLength > ZTSEV_NAME_SIZE ? "library reference" : "member name");
        return -1;
    }
    setPart(libref, item, librefLength);
    setPart(member, item + memberStart, n - memberStart);
    return 0;
}

int ZTSDKEventdsOptGetFileID(const char *text, int itemStart, int itemEnd, DATA_SET_HANDLE **handle)
{
    *handle = nullptr;
    ORV_COUNTED_NAME libref, member;
    if (ZTSDKEventdsOptParsFileref(text, itemStart, itemEnd, &libref, &member) != 0) return -1;
    if (libref.length > ORV_DS_LIBREF_LENGTH) {
        refuse(text, itemStart, itemEnd, "library reference");
        return -1;
    }
    DATA_SET_OPEN_REQUEST request{};
    std::memcpy(request.libref, libref.text, ORV_DS_LIBREF_LENGTH);
    request.memberLength = member.length;
    std::memcpy(request.member, member.text, ORV_DS_MEMBER_LENGTH);
    request.mode = ORV_DS_OPEN_INPUT;
    void *opened = nullptr;
    if (xoopen(&request, &opened) != 0 || opened == nullptr) return -1;
    *handle = static_cast<DATA_SET_HANDLE *>(opened);
    return 0;
}

int ZTSDKEventdsNoDefaultOpt(char **text, int *length)
{
    char *own = nullptr;
    int ownLength = 0;
    const bool fetched = text == nullptr || *text == nullptr;
    char **t = fetched ? &own : text;
    int *n = fetched ? &ownLength : length;
    int result = 0;
    for (int start = 0, s = 0, e = 0;; start = e + 1) {
        const int item = ZTSDKEventdsOptParsNextItem(t, n, start, &s, &e);
        if (item == ZTSDK_ITEM_NO_OPTION) result = -1;
        if (item == ZTSDK_ITEM_NODEFAULTS) result = 1;
        if (item < 0 || item == ZTSDK_ITEM_NODEFAULTS) break;
    }
    if (fetched) xyrfree(own);
    return result;
}

ZTSEV_LIST *ZTSDKEventdsOpt(ZTSEV_LIST *list, MEMORY_OBJECT *pool, int32_t *status)
{
    *status = 0;
    if (list == nullptr)
        list = ZTSEVNewEventList(pool);
    else
        findpool(&pool, list);
    char *text = nullptr;
    int length = xyrcgef(kOption, &text, kTextCapacity);
    if (length < 0 || text == nullptr) {
        *status = length < 0 ? length : -1;
        return list;
    }
    for (int start = 0, s = 0, e = 0;; start = e + 1) {
        const int item = ZTSDKEventdsOptParsNextItem(&text, &length, start, &s, &e);
        if (item < 0) break;
        if (item != ZTSDK_ITEM_DATA_SET) continue;
        DATA_SET_HANDLE *handle = nullptr;
        if (ZTSDKEventdsOptGetFileID(text, s, e, &handle) == 0) ZTSEVGetInputDsnF(list, handle, 1, pool);
    }
    xyrfree(text);
    return list;
}
