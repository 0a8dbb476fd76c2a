/*
 * custom_manager.cpp - the custom-interval manager and the loading of a
 * custom interval's data set (see custom_manager.h).
 *
 * The manager lives in a host resource whose id the named slot holds.  The
 * host offers no service that reads a resource's content, so the module
 * keeps the manager it made together with the resource's id; CleanMGR
 * forgets both when the host deletes the resource.  A slot that holds any
 * other id names no manager of this module (a deleted resource, or one of
 * an earlier load of the module) and counts as absent.
 */
#include "interval/custom_manager.h"

#include <cmath>
#include <cstring>

#include "host/host_records.h"
#include "host/missing_values.h"
#include "host/services.h"

extern "C" void *Exported_QXHandle;

namespace {

constexpr int kSlotNameLength = int(sizeof ZINT_CUSTOM_SLOT_NAME - 1);
constexpr int kSlotStore = 1;
constexpr int kSlotGet = 2;
constexpr int kNoSuchSlot = int(0x80008026u);
constexpr int kManagerFlags = 0x2006; /* zero-filled */
constexpr int kObservationsKnown = 3;
constexpr int kObservationsCounted = 2;
constexpr int kReadStatusMode = 1;
constexpr int kMessageSet = 882;
constexpr int kMsgEntryTooLong = 1101;
constexpr int kMsgNotNumeric = 1102;
constexpr int kMsgBadSeason = 1103;
constexpr int kMsgNoVariable = 1104;
constexpr int kMsgNoBegin = 1105;
constexpr int kMsgNoEnd = 1106;
constexpr int kMsgEndBeforeBegin = 1107;
constexpr int kMsgRepeatedBegin = 1108;
constexpr int kMsgBeginOutOfOrder = 1109;
constexpr int kMsgOverlap = 1110;
/* Seasons become 32-bit season numbers and date-key codes 10000 + n. */
constexpr double kLargestSeason = 2147483647.0 - 10000.0;
/* Characters of a descriptor's name (21 and its NUL). */
constexpr int kDescriptorChars = ZINT_NAME_MAX + 1;
constexpr int kIsKnownResultBytes = 48;

struct ZINT_CUSTOM *gManager = nullptr;
int32_t gManagerResource = 0;
/* Managers made so far by this module: the number of the current one. */
uint64_t gManagersMade = 0;

MEMORY_OBJECT *processMemory() { return v_global_gcb_anchor->secondMemory; }

void freeRecord(struct ZINT_CUSTOM *record)
{
    MEMORY_OBJECT *memory = processMemory();
    memory->release(memory, record, 0, ORV_MEM_FREE_MODE);
}

/* The status an extension left in the journal. */
int journalStatus(ORV_JOURNAL *journal)
{
    if (journal == nullptr || journal->magic != ORV_JOURNAL_MAGIC || journal->getStatus == nullptr)
        return ZINT_STATUS_BAD_JOURNAL;
    int32_t status = 0;
    const int rc = journal->getStatus(journal, &status);
    if (rc != 0) return rc;
    return status != 0 ? status : ZINT_STATUS_CUSTOM_FAILURE;
}

/* A text of the entry (blank-padded field, length) as shown in messages. */
int shownLength(int16_t length) { return length < 0 ? 0 : length > ZINT_CUSTOM_FIELD ? ZINT_CUSTOM_FIELD : length; }

/* Registers every usable INTERVALDS entry.  Returns 0 or a negative
 * status (logged). */
int registerEntries(ZINT_CUSTOM_REGISTRY *registry)
{
    int length = 0;
    char *text = xoptcgt("INTERVALDS", &length);
    if (text == nullptr || length <= 0) return 0;
    wzstrup(text, length);
    const char *cursor = nullptr;
    ZINT_CUSTOM_ENTRY entry;
    while (parseIntervalDS(text, &entry, &cursor) == 0) {
        if (!zintCustomEntryUsable(entry)) {
            xpmlog(kMessageSet, kMsgEntryTooLong, ORV_MSG_TEXT, shownLength(entry.nameLength), entry.name,
                   ORV_MSG_END);
            continue;
        }
        uint32_t name[ZINT_CUSTOM_FIELD], libref[ZINT_CUSTOM_FIELD], member[ZINT_CUSTOM_FIELD];
        const int nameChars = zintWideText(entry.name, entry.nameLength, name, ZINT_CUSTOM_FIELD);
        const int librefChars = zintWideText(entry.libref, entry.librefLength, libref, ZINT_CUSTOM_LIBREF_MAX);
        const int memberChars = zintWideText(entry.member, entry.memberLength, member, ZINT_CUSTOM_FIELD);
        if (nameChars <= 0 || memberChars <= 0 || librefChars < 0 ||
            registry->registerEntry(registry, name, nameChars, libref, librefChars, member, memberChars) != 0) {
            xprrlog(nullptr, ZINT_STATUS_CUSTOM_FAILURE);
            return ZINT_STATUS_CUSTOM_FAILURE;
        }
    }
    return 0;
}

/* Steps 4 to 8 of the creation: journal, extension, registry, entries. */
int fillManager(struct ZINT_CUSTOM *record)
{
    record->journal = static_cast<ORV_JOURNAL *>(wrjnlc(nullptr, 0, nullptr));
    if (record->journal == nullptr) return ZINT_STATUS_NO_MEMORY;
    const CUSTOM_LOAD_RECORD *hostRecord = v_global_gcb_anchor->customLoad;
    if (hostRecord != nullptr) {
        record->hostObjects[0].object = reinterpret_cast<void *>(hostRecord->word28408);
        record->hostObjects[1].object = reinterpret_cast<void *>(hostRecord->word28410);
    }
    static constexpr uint32_t kName[] = {'q', 'x', 'e', 'c', 'i', 'n', 't', 'c'};
    static_assert(sizeof kName / sizeof kName[0] == sizeof ZINT_CUSTOM_EXTENSION_NAME - 1);
    auto *kernel = static_cast<KERNEL_HANDLE *>(Exported_QXHandle);
    if (kernel != nullptr && kernel->loadByName != nullptr)
        record->extension = static_cast<ORV_CUSTOM_EXTENSION *>(
            kernel->loadByName(kernel, kName, 8, record->journal, record->hostObjects));
    if (record->extension == nullptr) return journalStatus(record->journal);
    record->registry = record->extension->createRegistry(record->extension, record->journal);
    if (record->registry == nullptr) return journalStatus(record->journal);
    return registerEntries(record->registry);
}

/* Deletes the manager's resource after a failed creation (CleanMGR runs). */
void tearDown()
{
    int64_t value = 0;
    int rc = xytngl(nullptr, kSlotGet, ZINT_CUSTOM_SLOT_NAME, kSlotNameLength, &value);
    if (rc == 0) rc = wtrsdel(int32_t(value));
    if (rc != 0) xprrlog(nullptr, rc);
}

/* What a load needs besides the registry: the open data set and its
 * fetch list, and the statuses of the row reader. */
struct LoadContext {
    DATA_SET_HANDLE *handle = nullptr;
    FETCH_HANDLE *fetch = nullptr;
    double row[3] = {0, 0, 0};
    int status = 0;
    ZINT_CUSTOM_ENTRY entry{}; /* for messages */
};

/* Adds variable `name` to the fetch list into row slot `slot`.  Returns 0,
 * 1 when the data set has no such variable and it is optional, or a
 * negative status: the find status of a required variable, or a
 * character variable (message 882/1102). */
int fetchVariable(LoadContext &context, const char *name, int slot, bool required)
{
    int number = 0;
    int rc = xvfind(context.handle, name, int(std::strlen(name)), &number);
    if (rc != 0 || number <= 0) {
        if (!required) return 1;
        char shown[ZINT_CUSTOM_SHOWN_NAME];
        xpmlog(kMessageSet, kMsgNoVariable, ORV_MSG_TEXT, zintCustomDataSetName(context.entry, shown), shown,
               ORV_MSG_TEXT, int(std::strlen(name)), name, ORV_MSG_END);
        return ZINT_STATUS_CUSTOM_FAILURE;
    }
    VARIABLE_DESCRIPTOR described;
    rc = xvname(context.handle, number, &described);
    if (rc < 0) return rc;
    if (described.type != ORV_VAR_NUMERIC) {
        char shown[ZINT_CUSTOM_SHOWN_NAME];
        xpmlog(kMessageSet, kMsgNotNumeric, ORV_MSG_TEXT, zintCustomDataSetName(context.entry, shown), shown,
               ORV_MSG_TEXT, int(std::strlen(name)), name, ORV_MSG_END);
        return ZINT_STATUS_CUSTOM_FAILURE;
    }
    rc = xvgetd(context.fetch, number, ORV_VAR_NUMERIC, &context.row[slot], 8, 8, 0, 0);
    return rc < 0 ? rc : 0;
}

/*
 * Checks row i (0-based) of a calendar, held in context.row, against the
 * rows stored before it in definition: a BEGIN in every row; with END, an
 * END in every row, not before its BEGIN; each BEGIN after the one before,
 * and with END after the end of the period before (periods do not
 * overlap); a SEASON, where given, a whole number from 1 to
 * kLargestSeason.  A row that breaks a rule is reported with its number
 * (message set 882) and false returned.
 */
bool rowFollowsTheRules(const LoadContext &context, const ZINT_CUSTREF &definition, int32_t i, bool hasEnd,
                        bool hasSeason)
{
    const double begin = context.row[0], end = context.row[1], season = context.row[2];
    const int row = i + 1;
    int message = 0;
    if (orvIsMissing(begin)) {
        message = kMsgNoBegin;
    } else if (hasEnd && orvIsMissing(end)) {
        message = kMsgNoEnd;
    } else if (hasEnd && end < begin) {
        message = kMsgEndBeforeBegin;
    } else if (i > 0 && begin == definition.begin[i - 1]) {
        message = kMsgRepeatedBegin;
    } else if (i > 0 && begin < definition.begin[i - 1]) {
        message = kMsgBeginOutOfOrder;
    } else if (i > 0 && hasEnd && begin <= definition.end[i - 1]) {
        message = kMsgOverlap;
    }
    char shown[ZINT_CUSTOM_SHOWN_NAME];
    const int shownLength = zintCustomDataSetName(context.entry, shown);
    if (message == kMsgRepeatedBegin || message == kMsgBeginOutOfOrder || message == kMsgOverlap) {
        xpmlog(kMessageSet, message, ORV_MSG_TEXT, shownLength, shown, ORV_MSG_INT, row, ORV_MSG_INT, row - 1,
               ORV_MSG_END);
        return false;
    }
    if (message != 0) {
        xpmlog(kMessageSet, message, ORV_MSG_TEXT, shownLength, shown, ORV_MSG_INT, row, ORV_MSG_END);
        return false;
    }
    if (hasSeason && !orvIsMissing(season) &&
        !(season >= 1 && season <= kLargestSeason && season == std::floor(season))) {
        xpmlog(kMessageSet, kMsgBadSeason, ORV_MSG_TEXT, shownLength, shown, ORV_MSG_INT, row, ORV_MSG_DBL, season,
               ORV_MSG_END);
        return false;
    }
    return true;
}

/* Fills the header's format from BEGIN's descriptor. */
void putFormat(ZINT_CUSTOM_LOAD_HEADER &header, const LoadContext &context)
{
    int number = 0;
    VARIABLE_DESCRIPTOR described;
    if (xvfind(context.handle, "BEGIN", 5, &number) != 0 || xvname(context.handle, number, &described) < 0) return;
    const int chars = zintWideText(described.formatName, described.formatNameLength, header.formatName,
                                   ZINT_CUSTOM_FORMAT_CHARS);
    if (chars <= 0) return;
    header.formatNameLength = chars;
    header.formatWidth = header.formatWidthAgain = described.formatWidth != 0 ? described.formatWidth : -1;
}

/* Steps 5 and 6 of a load, on the open data set: the observation count and
 * the fetch list of BEGIN, END and SEASON, into header.  Returns 0 or a
 * negative status. */
int prepareLoad(LoadContext &context, ZINT_CUSTOM_LOAD_HEADER &header)
{
    std::memset(&header, 0, sizeof header);
    int64_t observations = -1;
    if (xoinfo(context.handle, kObservationsKnown, &observations) != 0 || observations < 1)
        if (xoinfo(context.handle, kObservationsCounted, &observations) != 0) observations = 0;
    if (observations < 1) return ZINT_STATUS_NO_OBSERVATIONS;
    /* The header counts in 32 bits. */
    if (observations > INT32_MAX) return ZINT_STATUS_CUSTOM_FAILURE;

    void *fetch = nullptr;
    int rc = xvgeti(context.handle, 3, &fetch);
    if (rc < 0) return rc;
    context.fetch = static_cast<FETCH_HANDLE *>(fetch);
    rc = fetchVariable(context, "BEGIN", 0, true);
    if (rc != 0) return rc;
    static constexpr struct {
        const char *name;
        uint32_t flag;
    } kOptional[] = {{"END", ZINT_CUSTOM_HAS_END}, {"SEASON", ZINT_CUSTOM_HAS_SEASON}};
    for (int i = 0; i < 2; ++i) {
        rc = fetchVariable(context, kOptional[i].name, i + 1, false);
        if (rc < 0) return rc;
        if (rc == 0) header.flags |= kOptional[i].flag;
    }
    rc = xvsele(context.handle);
    if (rc == 0) rc = xvgete(context.fetch);
    if (rc < 0) return rc;
    header.observations = int32_t(observations);
    putFormat(header, context);
    return 0;
}

/* Steps 5 to 8 of a load, on the open data set.  Returns 0 or a negative
 * status. */
int loadOpen(struct ZINT_CUSTOM *manager, const ZINT_CUSTOM_QUERY &query, LoadContext &context, ZINT_CUSTREF **reference)
{
    ZINT_CUSTOM_LOAD_HEADER header;
    const int rc = prepareLoad(context, header);
    if (rc != 0) return rc;
    header.libref = query.libref;
    header.member = query.member;
    ZINT_CUSTOM_REGISTRY *registry = manager->registry;
    int status = registry->loadDefinition(registry, &header, &loadCustom, &context, manager->journal);
    if (status != 0)
        status = context.status < 0 ? context.status : journalStatus(manager->journal);
    else if (context.status < 0)
        status = context.status;
    if (status != 0) return status;
    *reference = registry->getReference(registry, query.name.text, query.name.length);
    return *reference != nullptr ? 0 : ZINT_STATUS_CUSTOM_FAILURE;
}

/* Converts a text of 32-bit characters back into a blank-padded field of
 * `size` bytes.  False when it does not fit or is not one-byte text. */
bool narrowText(const ZINT_WIDE_TEXT &text, char *field, int size, int16_t *length)
{
    std::memset(field, ' ', size_t(size));
    if (text.length < 0 || text.length > size || (text.length > 0 && text.text == nullptr)) return false;
    for (int32_t i = 0; i < text.length; ++i) {
        if (text.text[i] > 0xFF) return false;
        field[i] = char(text.text[i]);
    }
    *length = int16_t(text.length);
    return true;
}

}  // namespace

int zintCustomDataSetName(const ZINT_CUSTOM_ENTRY &entry, char *out)
{
    int n = 0;
    const int librefLength = shownLength(entry.librefLength);
    std::memcpy(out, entry.libref, size_t(librefLength));
    n = librefLength;
    if (n > 0) out[n++] = '.';
    std::memcpy(out + n, entry.member, size_t(shownLength(entry.memberLength)));
    return n + shownLength(entry.memberLength);
}

int zintWideText(const char *text, int length, uint32_t *out, int capacity)
{
    if (text == nullptr || length < 0) return -1;
    while (length > 0 && text[length - 1] == ' ') --length;
    if (length > capacity) return -1;
    for (int i = 0; i < length; ++i) out[i] = uint8_t(text[i]);
    return length;
}

int zcintcInit(struct ZINT_CUSTOM **manager)
{
    *manager = nullptr;
    int64_t value = 0;
    const int found = xytngl(nullptr, kSlotGet, ZINT_CUSTOM_SLOT_NAME, kSlotNameLength, &value);
    if (found == 0 && gManager != nullptr && value == gManagerResource) {
        *manager = gManager;
        return 0;
    }
    if (found != 0 && found != kNoSuchSlot) return found;

    MEMORY_OBJECT *memory = processMemory();
    auto *record = static_cast<struct ZINT_CUSTOM *>(memory->allocate(memory, sizeof(struct ZINT_CUSTOM), kManagerFlags));
    if (record == nullptr) return ZINT_STATUS_NO_MEMORY;
    std::memset(record, 0, sizeof *record);
    orv_routine callable = nullptr;
    int32_t resource = 0;
    int rc = vir2g(reinterpret_cast<orv_routine>(&CleanMGR), &callable, v_global_gcb_anchor->instance->logHandle,
                   v_global_pidb_anchor);
    if (rc == 0) rc = wtrscrt(record, callable, &resource);
    if (rc == 0) rc = xytnsl(nullptr, kSlotStore, ZINT_CUSTOM_SLOT_NAME, kSlotNameLength, resource);
    if (rc != 0) {
        if (resource != 0)
            wtrsdel(resource); /* CleanMGR frees the record */
        else
            freeRecord(record);
        return rc;
    }
    gManager = record;
    gManagerResource = resource;
    ++gManagersMade;

    rc = fillManager(record);
    if (rc != 0) {
        tearDown();
        return rc;
    }
    *manager = record;
    return 0;
}

uint64_t zintCustomManagerNumber() { return gManager != nullptr ? gManagersMade : 0; }

int getcustomname(const char *name, int length)
{
    struct ZINT_CUSTOM *manager = nullptr;
    const int rc = zcintcInit(&manager);
    if (rc != 0) return rc;
    uint32_t wide[ZINT_CUSTOM_FIELD];
    const int chars = zintWideText(name, length, wide, ZINT_CUSTOM_FIELD);
    if (chars <= 0) return 0;
    uint8_t result[kIsKnownResultBytes] = {};
    return manager->registry->isKnown(manager->registry, wide, chars, result) == 0 ? ZINT_CUSTOM : 0;
}

void CleanMGR(HOST_RESOURCE_TABLE *resources, int32_t resourceId)
{
    const uint32_t block = uint32_t(resourceId) >> 16;
    const uint32_t index = uint32_t(resourceId) & 0xFFFFu;
    if (resources == nullptr || resourceId <= 0 || block >= resources->blockCount ||
        index >= resources->entriesPerBlock)
        return;
    auto *record = static_cast<struct ZINT_CUSTOM *>(resources->blocks[block][index].content);
    if (record == nullptr) return;
    if (record->registry != nullptr) record->registry->release(record->registry);
    record->registry = nullptr;
    if (record->extension != nullptr) record->extension->release(record->extension);
    record->extension = nullptr;
    if (record->journal != nullptr) record->journal->release(record->journal);
    record->journal = nullptr;
    if (record == gManager) {
        gManager = nullptr;
        gManagerResource = 0;
    }
    freeRecord(record);
}

int zcintcReleaseRef(ZINT_CUSTREF *reference)
{
    if (reference == nullptr || reference->release == nullptr) return 0;
    return reference->release(reference);
}

int zcustLoad(ZINT_SEAS *rec, ZINT_CUSTREF **reference)
{
    *reference = nullptr;
    struct ZINT_CUSTOM *manager = nullptr;
    int rc = zcintcInit(&manager);
    if (rc != 0) return rc;
    ZINT_CUSTOM_REGISTRY *registry = manager->registry;

    uint32_t name[kDescriptorChars];
    const int chars = zintWideText(rec->interval.name, rec->interval.nameLength, name, kDescriptorChars);
    if (chars <= 0) return ZINT_STATUS_CUSTOM_FAILURE;
    ZINT_CUSTOM_QUERY query{};
    query.name.length = -1;
    rc = registry->findEntry(registry, name, chars, rec->interval.multiplier, rec->interval.shift, &query);
    if (rc != 0 || query.name.length < 0) return ZINT_STATUS_CUSTOM_FAILURE;
    if (query.name.length == 0) return 0;
    *reference = registry->getReference(registry, query.name.text, query.name.length);
    if (*reference != nullptr) return 0;

    LoadContext context;
    std::memset(context.entry.name, ' ', sizeof context.entry.name);
    if (!narrowText(query.name, context.entry.name, ZINT_CUSTOM_FIELD, &context.entry.nameLength) ||
        !narrowText(query.libref, context.entry.libref, ZINT_CUSTOM_LIBREF_MAX, &context.entry.librefLength) ||
        !narrowText(query.member, context.entry.member, ZINT_CUSTOM_FIELD, &context.entry.memberLength))
        return ZINT_STATUS_CUSTOM_FAILURE;
    void *handle = nullptr;
    rc = zintCustomOpen(context.entry, &handle);
    if (rc != 0) return rc;
    context.handle = static_cast<DATA_SET_HANDLE *>(handle);
    rc = loadOpen(manager, query, context, reference);
    if (context.fetch != nullptr) xvgett(context.fetch);
    xoclose(handle);
    return rc;
}

int zintCustomReadDirect(const ZINT_CUSTOM_ENTRY &entry, ZintCustomData &data)
{
    data = ZintCustomData{};
    LoadContext context;
    context.entry = entry;
    void *handle = nullptr;
    int rc = zintCustomOpen(entry, &handle);
    if (rc != 0) return rc;
    context.handle = static_cast<DATA_SET_HANDLE *>(handle);
    ZINT_CUSTOM_LOAD_HEADER header;
    rc = prepareLoad(context, header);
    if (rc == 0) {
        const size_t n = size_t(header.observations);
        data.begin.assign(n, orvMissing());
        data.end.assign(n, orvMissing());
        data.season.assign(n, orvMissing());
        ZINT_CUSTREF definition{};
        definition.begin = data.begin.data();
        definition.end = data.end.data();
        definition.season = data.season.data();
        rc = loadCustom(&context, &header, &definition);
        data.count = definition.count;
        data.hasEnd = (header.flags & ZINT_CUSTOM_HAS_END) != 0;
        data.hasSeason = (header.flags & ZINT_CUSTOM_HAS_SEASON) != 0;
    }
    if (context.fetch != nullptr) xvgett(context.fetch);
    xoclose(handle);
    return rc;
}

int loadCustom(void *contextIn, const ZINT_CUSTOM_LOAD_HEADER *header, ZINT_CUSTREF *definition)
{
    auto &context = *static_cast<LoadContext *>(contextIn);
    DATA_SET_HANDLE *handle = context.handle;
    const bool hasEnd = (header->flags & ZINT_CUSTOM_HAS_END) != 0;
    const bool hasSeason = (header->flags & ZINT_CUSTOM_HAS_SEASON) != 0;
    int status = 0;
    int32_t i = 0;
    for (;; ++i) {
        void *ref = handle;
        if ((handle->flags & ORV_DS_READS_BY_GROUP) != 0 || handle->read == nullptr) {
            status = xybyget(&ref);
        } else {
            handle->readMode = ORV_DS_READ_NEXT;
            status = handle->read(handle);
            if (status != 0 || (handle->flags & ORV_DS_STATUS_PENDING) != 0)
                status = xofprc(&ref, status, kReadStatusMode);
        }
        if (status != 0 || handle->row == nullptr) break;
        for (double &slot : context.row) slot = orvMissing();
        FETCH_HANDLE *fetch = context.fetch;
        const int moved = fetch->move != nullptr ? fetch->move(fetch, handle->row) : xyvget(fetch, 0, handle->row);
        if (moved != 0) {
            status = moved < 0 ? moved : ZINT_STATUS_READ_ERROR;
            break;
        }
        if (i == header->observations) break;
        if (!rowFollowsTheRules(context, *definition, i, hasEnd, hasSeason)) {
            status = ZINT_STATUS_CUSTOM_FAILURE;
            break;
        }
        definition->begin[i] = context.row[0];
        if (hasEnd) definition->end[i] = context.row[1];
        if (hasSeason) definition->season[i] = context.row[2];
    }
    definition->count = i;
    context.status = status;
    if (status == ZINT_STATUS_CUSTOM_FAILURE) return status;
    return status < 0 ? ZINT_STATUS_READ_ERROR : 0;
}
