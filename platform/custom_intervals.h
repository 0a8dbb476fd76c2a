/*
 * custom_intervals.h - the host's custom-interval extension "qxecintc" and
 * the journals of wrjnlc.
 *
 * The extension hands out interval registries.  A registry keeps the
 * INTERVALDS entries registered with it (name, library reference, member;
 * names compared without regard to case) and the definitions loaded from
 * their data sets, one per data set, shared by every name that names it and
 * kept until the registry is released.  A reference to a definition counts
 * its holders; releasing more often than it was handed out is refused.
 *
 * A journal collects the status that the extension records when one of its
 * operations fails.
 *
 * For tests every operation can be made to fail once (CustomFault): the
 * operation then records ZINT_STATUS_NO_MEMORY in the journal it was given
 * and fails as it would without memory.
 *
 * Exports: CustomFault, class CustomIntervals.
 */
#ifndef ORV_PLATFORM_CUSTOM_INTERVALS_H
#define ORV_PLATFORM_CUSTOM_INTERVALS_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>

#include "host/custom_interval_records.h"

namespace orvhost {

/* ORDER CustomIntervals::faults_ */
enum class CustomFault : uint8_t {
    Journal,        /* wrjnlc */
    LoadExtension,  /* the kernel handle's load of "qxecintc" */
    CreateRegistry,
    Register,
    IsKnown,
    Find,
    GetReference,
    Load,
    Count,
};

class CustomIntervals {
public:
    CustomIntervals();
    ~CustomIntervals();
    CustomIntervals(const CustomIntervals &) = delete;
    CustomIntervals &operator=(const CustomIntervals &) = delete;

    /* A new extension object, or null (status recorded in journal when one
     * is given). */
    ORV_CUSTOM_EXTENSION *loadExtension(ORV_JOURNAL *journal);

    /* A new journal (wrjnlc), or null. */
    ORV_JOURNAL *createJournal();

    /* Makes the next call of the operation fail. */
    void failNext(CustomFault fault) { faults_[size_t(fault)] = true; }

    /* Definitions loaded so far (calls of the row reader), and objects
     * (journals, extensions, registries) not released yet. */
    int64_t loadCount() const { return loads_; }
    size_t liveObjects() const { return journals_.size() + extensions_.size() + registries_.size(); }

    struct Registry; /* custom_intervals.cpp */

private:
    struct Journal;
    struct Extension;

    /* True (and the switch cleared) when the operation must fail now;
     * the failure is recorded in journal when one is given. */
    bool fires(CustomFault fault, ORV_JOURNAL *journal);

    static int journalStatus(ORV_JOURNAL *journal, int32_t *statusOut);
    static void releaseJournal(ORV_JOURNAL *journal);
    static ZINT_CUSTOM_REGISTRY *createRegistry(ORV_CUSTOM_EXTENSION *extension, ORV_JOURNAL *journal);
    static void releaseExtension(ORV_CUSTOM_EXTENSION *extension);
    static void releaseRegistry(ZINT_CUSTOM_REGISTRY *registry);
    static int registerEntry(ZINT_CUSTOM_REGISTRY *registry, const uint32_t *name, int32_t nameLength,
                             const uint32_t *libref, int32_t librefLength, const uint32_t *member,
                             int32_t memberLength);
    static int isKnown(ZINT_CUSTOM_REGISTRY *registry, const uint32_t *name, int32_t nameLength, void *result);
    static int findEntry(ZINT_CUSTOM_REGISTRY *registry, const uint32_t *name, int32_t nameLength,
                         int32_t multiplier, int32_t shift, ZINT_CUSTOM_QUERY *query);
    static ZINT_CUSTREF *getReference(ZINT_CUSTOM_REGISTRY *registry, const uint32_t *name,
                                      int32_t nameLength);
    static int loadDefinition(ZINT_CUSTOM_REGISTRY *registry, const ZINT_CUSTOM_LOAD_HEADER *header,
                              orv_custom_row_reader reader, void *context, ORV_JOURNAL *journal);
    static int releaseReference(ZINT_CUSTREF *reference);

    std::array<bool, size_t(CustomFault::Count)> faults_{};
    std::map<const void *, std::unique_ptr<Journal>> journals_;
    std::map<const void *, std::unique_ptr<Extension>> extensions_;
    std::map<const void *, std::unique_ptr<Registry>> registries_;
    int64_t loads_ = 0;
};

}  // namespace orvhost

#endif
