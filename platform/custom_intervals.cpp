/*
 * custom_intervals.cpp - the extension "qxecintc", its interval registries
 * and the journals (see custom_intervals.h).
 */
#include "platform/custom_intervals.h"

#include <string>
#include <type_traits>
#include <vector>

namespace orvhost {

namespace {

using WideString = std::u32string;

char32_t upper(char32_t c) { return c >= U'a' && c <= U'z' ? c - U'a' + U'A' : c; }

WideString upperText(const uint32_t *text, int32_t length)
{
    WideString out;
    if (text == nullptr || length <= 0) return out;
    for (int32_t i = 0; i < length; ++i) out.push_back(upper(char32_t(text[i])));
    return out;
}

WideString decimal(int64_t value)
{
    const std::string digits = std::to_string(value);
    return WideString(digits.begin(), digits.end());
}

ZINT_WIDE_TEXT wideText(const WideString &text)
{
    return ZINT_WIDE_TEXT{reinterpret_cast<const uint32_t *>(text.data()), int32_t(text.size()), 0};
}

/* The key of a definition: its data set, library reference and member. */
WideString dataSetKey(const WideString &libref, const WideString &member) { return libref + U'.' + member; }

}  // namespace

struct CustomIntervals::Journal {
    ORV_JOURNAL api;
    CustomIntervals *owner;
};

struct CustomIntervals::Extension {
    ORV_CUSTOM_EXTENSION api;
    CustomIntervals *owner;
};

struct CustomIntervals::Registry {
    struct Entry {
        WideString name, libref, member;
    };
    struct Definition {
        ZINT_CUSTREF ref{};
        std::vector<double> begin, end, season;
        int64_t holders = 0;
    };
    /* The registry's record first, so that the record's address leads
     * here. */
    struct Object {
        ZINT_CUSTOM_REGISTRY api;
        Registry *self;
    };
    static_assert(std::is_standard_layout_v<Object> && offsetof(Object, api) == 0);

    Object object{};
    CustomIntervals *owner = nullptr;
    std::vector<Entry> entries;
    std::map<WideString, std::unique_ptr<Definition>> definitions;

    static Registry *from(ZINT_CUSTOM_REGISTRY *api)
    {
        return api != nullptr ? reinterpret_cast<Object *>(api)->self : nullptr;
    }

    const Entry *exact(const WideString &name) const
    {
        for (const Entry &entry : entries)
            if (entry.name == name) return &entry;
        return nullptr;
    }
};

static_assert(std::is_standard_layout_v<CustomIntervals::Registry::Object>);

CustomIntervals::CustomIntervals() = default;
CustomIntervals::~CustomIntervals() = default;

bool CustomIntervals::fires(CustomFault fault, ORV_JOURNAL *journal)
{
    bool &armed = faults_[size_t(fault)];
    if (!armed) return false;
    armed = false;
    if (journal != nullptr) journal->status = ZINT_STATUS_NO_MEMORY;
    return true;
}

ORV_JOURNAL *CustomIntervals::createJournal()
{
    if (fires(CustomFault::Journal, nullptr)) return nullptr;
    auto journal = std::make_unique<Journal>();
    static_assert(std::is_standard_layout_v<Journal> && offsetof(Journal, api) == 0);
    journal->api.magic = ORV_JOURNAL_MAGIC;
    journal->api.getStatus = &CustomIntervals::journalStatus;
    journal->api.release = &CustomIntervals::releaseJournal;
    journal->owner = this;
    ORV_JOURNAL *api = &journal->api;
    journals_.emplace(api, std::move(journal));
    return api;
}

int CustomIntervals::journalStatus(ORV_JOURNAL *journal, int32_t *statusOut)
{
    if (journal == nullptr || statusOut == nullptr) return ZINT_STATUS_BAD_JOURNAL;
    *statusOut = journal->status;
    return 0;
}

void CustomIntervals::releaseJournal(ORV_JOURNAL *journal)
{
    if (journal == nullptr) return;
    reinterpret_cast<Journal *>(journal)->owner->journals_.erase(journal);
}

ORV_CUSTOM_EXTENSION *CustomIntervals::loadExtension(ORV_JOURNAL *journal)
{
    if (fires(CustomFault::LoadExtension, journal)) return nullptr;
    auto extension = std::make_unique<Extension>();
    static_assert(std::is_standard_layout_v<Extension> && offsetof(Extension, api) == 0);
    extension->api.createRegistry = &CustomIntervals::createRegistry;
    extension->api.release = &CustomIntervals::releaseExtension;
    extension->owner = this;
    ORV_CUSTOM_EXTENSION *api = &extension->api;
    extensions_.emplace(api, std::move(extension));
    return api;
}

void CustomIntervals::releaseExtension(ORV_CUSTOM_EXTENSION *extension)
{
    if (extension == nullptr) return;
    reinterpret_cast<Extension *>(extension)->owner->extensions_.erase(extension);
}

ZINT_CUSTOM_REGISTRY *CustomIntervals::createRegistry(ORV_CUSTOM_EXTENSION *extension, ORV_JOURNAL *journal)
{
    if (extension == nullptr) return nullptr;
    CustomIntervals *owner = reinterpret_cast<Extension *>(extension)->owner;
    if (owner->fires(CustomFault::CreateRegistry, journal)) return nullptr;
    auto registry = std::make_unique<Registry>();
    registry->owner = owner;
    registry->object.self = registry.get();
    ZINT_CUSTOM_REGISTRY &api = registry->object.api;
    api.registerEntry = &CustomIntervals::registerEntry;
    api.isKnown = &CustomIntervals::isKnown;
    api.release = &CustomIntervals::releaseRegistry;
    api.findEntry = &CustomIntervals::findEntry;
    api.getReference = &CustomIntervals::getReference;
    api.loadDefinition = &CustomIntervals::loadDefinition;
    owner->registries_.emplace(&api, std::move(registry));
    return &api;
}

void CustomIntervals::releaseRegistry(ZINT_CUSTOM_REGISTRY *registry)
{
    Registry *self = Registry::from(registry);
    if (self != nullptr) self->owner->registries_.erase(registry);
}

int CustomIntervals::registerEntry(ZINT_CUSTOM_REGISTRY *registry, const uint32_t *name, int32_t nameLength,
                                   const uint32_t *libref, int32_t librefLength, const uint32_t *member,
                                   int32_t memberLength)
{
    Registry *self = Registry::from(registry);
    if (self == nullptr) return ZINT_STATUS_CUSTOM_FAILURE;
    if (self->owner->fires(CustomFault::Register, nullptr)) return ZINT_STATUS_NO_MEMORY;
    if (name == nullptr || nameLength <= 0 || member == nullptr || memberLength <= 0 || librefLength < 0)
        return ZINT_STATUS_CUSTOM_FAILURE;
    Registry::Entry entry{upperText(name, nameLength), upperText(libref, librefLength),
                          upperText(member, memberLength)};
    /* A name registered twice keeps its first data set. */
    if (self->exact(entry.name) == nullptr) self->entries.push_back(std::move(entry));
    return 0;
}

int CustomIntervals::isKnown(ZINT_CUSTOM_REGISTRY *registry, const uint32_t *name, int32_t nameLength, void *)
{
    Registry *self = Registry::from(registry);
    if (self == nullptr) return ZINT_STATUS_CUSTOM_FAILURE;
    if (self->owner->fires(CustomFault::IsKnown, nullptr)) return ZINT_STATUS_NO_MEMORY;
    return self->exact(upperText(name, nameLength)) != nullptr ? 0 : 1;
}

/* The entry whose name is the whole name, or (in registration order) the
 * first whose name is followed by the multiplier, by the multiplier, a dot
 * and shift + 1, or, for multiplier 1 without shift, by ".1". */
int CustomIntervals::findEntry(ZINT_CUSTOM_REGISTRY *registry, const uint32_t *name, int32_t nameLength,
                               int32_t multiplier, int32_t shift, ZINT_CUSTOM_QUERY *query)
{
    Registry *self = Registry::from(registry);
    if (self == nullptr || query == nullptr) return ZINT_STATUS_CUSTOM_FAILURE;
    if (self->owner->fires(CustomFault::Find, nullptr)) return ZINT_STATUS_NO_MEMORY;
    *query = ZINT_CUSTOM_QUERY{};
    const WideString wanted = upperText(name, nameLength);
    const Registry::Entry *found = self->exact(wanted);
    if (found == nullptr && multiplier > 0 && shift >= 0) {
        const WideString m = decimal(multiplier);
        const WideString ms = m + U'.' + decimal(int64_t(shift) + 1);
        for (const Registry::Entry &entry : self->entries) {
            if (wanted.size() <= entry.name.size() || wanted.compare(0, entry.name.size(), entry.name) != 0)
                continue;
            const WideString rest = wanted.substr(entry.name.size());
            if (rest == m || rest == ms || (multiplier == 1 && shift == 0 && rest == U".1")) {
                found = &entry;
                break;
            }
        }
    }
    if (found == nullptr) return 0;
    query->name = wideText(found->name);
    query->libref = wideText(found->libref);
    query->member = wideText(found->member);
    return 0;
}

ZINT_CUSTREF *CustomIntervals::getReference(ZINT_CUSTOM_REGISTRY *registry, const uint32_t *name,
                                            int32_t nameLength)
{
    Registry *self = Registry::from(registry);
    if (self == nullptr || self->owner->fires(CustomFault::GetReference, nullptr)) return nullptr;
    const Registry::Entry *entry = self->exact(upperText(name, nameLength));
    if (entry == nullptr) return nullptr;
    auto found = self->definitions.find(dataSetKey(entry->libref, entry->member));
    if (found == self->definitions.end()) return nullptr;
    ++found->second->holders;
    return &found->second->ref;
}

int CustomIntervals::releaseReference(ZINT_CUSTREF *reference)
{
    if (reference == nullptr || reference->owner == nullptr) return ZINT_STATUS_CUSTOM_FAILURE;
    auto *definition = static_cast<Registry::Definition *>(reference->owner);
    if (definition->holders <= 0) return ZINT_STATUS_CUSTOM_FAILURE;
    --definition->holders;
    return 0;
}

int CustomIntervals::loadDefinition(ZINT_CUSTOM_REGISTRY *registry, const ZINT_CUSTOM_LOAD_HEADER *header,
                                    orv_custom_row_reader reader, void *context, ORV_JOURNAL *journal)
{
    Registry *self = Registry::from(registry);
    auto fail = [journal](int status) {
        if (journal != nullptr) journal->status = status;
        return status;
    };
    if (self == nullptr || header == nullptr || reader == nullptr) return fail(ZINT_STATUS_CUSTOM_FAILURE);
    if (self->owner->fires(CustomFault::Load, journal)) return ZINT_STATUS_NO_MEMORY;
    if (header->observations < 1) return fail(ZINT_STATUS_NO_OBSERVATIONS);
    const WideString key = dataSetKey(upperText(header->libref.text, header->libref.length),
                                      upperText(header->member.text, header->member.length));
    auto definition = std::make_unique<Registry::Definition>();
    const size_t n = size_t(header->observations);
    definition->begin.assign(n, 0.0);
    definition->end.assign(n, 0.0);
    definition->season.assign(n, 0.0);
    ZINT_CUSTREF &ref = definition->ref;
    ref.owner = definition.get();
    ref.release = &CustomIntervals::releaseReference;
    ref.begin = definition->begin.data();
    ref.end = definition->end.data();
    ref.season = definition->season.data();
    ++self->owner->loads_;
    const int status = reader(context, header, &ref);
    if (status != 0) return fail(status);
    if (ref.count < 0 || ref.count > header->observations) return fail(ZINT_STATUS_CUSTOM_FAILURE);
    if ((header->flags & ZINT_CUSTOM_HAS_END) == 0) ref.end = nullptr;
    if ((header->flags & ZINT_CUSTOM_HAS_SEASON) == 0) ref.season = nullptr;
    self->definitions[key] = std::move(definition);
    return 0;
}

}  // namespace orvhost
