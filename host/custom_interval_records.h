/*
 * custom_interval_records.h - the records that the custom-interval manager
 * (interval/custom_manager.cpp) and the host's custom-interval extension
 * "qxecintc" (platform/custom_intervals.cpp) share byte for byte: the
 * journal that wrjnlc creates, the extension and its interval registry, a
 * loaded definition (ZINT_CUSTREF), the load header and the row reader the
 * registry calls back.
 *
 * Every object the host hands out carries its release operation as its
 * third machine word.  Texts cross the boundary as 32-bit characters with
 * a length in characters.
 *
 * Exports: ORV_JOURNAL, ZINT_WIDE_TEXT, ZINT_CUSTOM_QUERY,
 * ZINT_CUSTOM_LOAD_HEADER, ZINT_CUSTREF, ZINT_CUSTOM_REGISTRY,
 * ZINT_CUSTOM_EXTENSION, ZINT_HOST_OBJECT, the ZINT_CUSTOM_* constants and
 * the host statuses of the custom-interval services.
 */
#ifndef ORV_HOST_CUSTOM_INTERVAL_RECORDS_H
#define ORV_HOST_CUSTOM_INTERVAL_RECORDS_H

#include <cstddef>
#include <cstdint>

/* Host statuses of the custom-interval services (negative as int32). */
constexpr int ZINT_STATUS_CUSTOM_FAILURE = int(0x8001C80Bu); /* registry or load failure */
constexpr int ZINT_STATUS_NO_MEMORY = int(0x80000803u);
constexpr int ZINT_STATUS_BAD_JOURNAL = int(0x80000805u);    /* magic word missing */
constexpr int ZINT_STATUS_NO_OBSERVATIONS = int(0x8000080Bu);
constexpr int ZINT_STATUS_READ_ERROR = int(0x803FC009u);     /* the row reader failed */

/* ---- The journal of wrjnlc: collects the status an extension records. */
constexpr uint64_t ORV_JOURNAL_MAGIC = 0x66666666u;

struct ORV_JOURNAL;
/* Stores the recorded status (0 = none) in *statusOut; returns 0, or a
 * non-zero status of its own. */
using orv_journal_status_fn = int (*)(ORV_JOURNAL *journal, int32_t *statusOut);
using orv_journal_release_fn = void (*)(ORV_JOURNAL *journal);

struct ORV_JOURNAL {
    uint64_t magic;                  /* 0x0: ORV_JOURNAL_MAGIC */
    orv_journal_status_fn getStatus; /* 0x8 */
    orv_journal_release_fn release;  /* 0x10 */
    int32_t status;                  /* 0x18: last status an extension recorded */
    uint32_t reserved1C;             /* 0x1C */
};
static_assert(offsetof(ORV_JOURNAL, magic) == 0x0);
static_assert(offsetof(ORV_JOURNAL, getStatus) == 0x8);
static_assert(offsetof(ORV_JOURNAL, release) == 0x10);
static_assert(offsetof(ORV_JOURNAL, status) == 0x18);
static_assert(sizeof(ORV_JOURNAL) == 0x20);

/* ---- Texts, queries, the load header and a loaded definition. */

/* A text of 32-bit characters; length in characters. */
struct ZINT_WIDE_TEXT {
    const uint32_t *text; /* 0x0 */
    int32_t length;       /* 0x8 */
    uint32_t reserved;    /* 0xC */
};
static_assert(offsetof(ZINT_WIDE_TEXT, length) == 0x8);
static_assert(sizeof(ZINT_WIDE_TEXT) == 16);

/* What find-entry fills: the registered name (length -1 before the call,
 * 0 after it when no entry matched), the library reference and the member.
 * The texts point into the registry and live as long as it does. */
struct ZINT_CUSTOM_QUERY {
    ZINT_WIDE_TEXT name;   /* 0x0 */
    ZINT_WIDE_TEXT libref; /* 0x10 */
    ZINT_WIDE_TEXT member; /* 0x20 */
};
static_assert(offsetof(ZINT_CUSTOM_QUERY, libref) == 0x10);
static_assert(offsetof(ZINT_CUSTOM_QUERY, member) == 0x20);
static_assert(sizeof(ZINT_CUSTOM_QUERY) == 0x30);

/* Bits of ZINT_CUSTOM_LOAD_HEADER::flags. */
constexpr uint32_t ZINT_CUSTOM_HAS_END = 0x1;
constexpr uint32_t ZINT_CUSTOM_HAS_SEASON = 0x2;
constexpr int ZINT_CUSTOM_FORMAT_CHARS = 32;

struct ZINT_CUSTOM_LOAD_HEADER {
    uint32_t flags;                                /* 0x0: ZINT_CUSTOM_HAS_* */
    int32_t observations;                          /* 0x4 */
    ZINT_WIDE_TEXT libref;                         /* 0x8 */
    ZINT_WIDE_TEXT member;                         /* 0x18 */
    uint32_t formatName[ZINT_CUSTOM_FORMAT_CHARS]; /* 0x28: BEGIN's format, or zeros */
    int32_t formatNameLength;                      /* 0xA8 */
    int32_t formatWidth;                           /* 0xAC: -1 for the default width */
    int32_t formatWidthAgain;                      /* 0xB0 */
    uint32_t reservedB4;                           /* 0xB4 */
};
static_assert(offsetof(ZINT_CUSTOM_LOAD_HEADER, observations) == 0x4);
static_assert(offsetof(ZINT_CUSTOM_LOAD_HEADER, libref) == 0x8);
static_assert(offsetof(ZINT_CUSTOM_LOAD_HEADER, member) == 0x18);
static_assert(offsetof(ZINT_CUSTOM_LOAD_HEADER, formatName) == 0x28);
static_assert(offsetof(ZINT_CUSTOM_LOAD_HEADER, formatNameLength) == 0xA8);
static_assert(offsetof(ZINT_CUSTOM_LOAD_HEADER, formatWidth) == 0xAC);
static_assert(offsetof(ZINT_CUSTOM_LOAD_HEADER, formatWidthAgain) == 0xB0);
static_assert(sizeof(ZINT_CUSTOM_LOAD_HEADER) == 0xB8);

/* A loaded definition.  The arrays hold one element per period, in the data
 * set's order; the END and SEASON arrays are null when the data set has no
 * such variable (the load header's flags).  During a load the registry hands the row reader a definition
 * whose arrays hold `observations` elements and whose count is 0. */
struct ZINT_CUSTREF;
using orv_custref_release_fn = int (*)(ZINT_CUSTREF *reference);

struct ZINT_CUSTREF {
    void *owner;                    /* 0x0: the registry's */
    orv_custref_release_fn release; /* 0x8: 0, or a negative status */
    int32_t count;                  /* 0x10: periods */
    uint32_t reserved14;            /* 0x14 */
    double *begin;                  /* 0x18 */
    double *end;                    /* 0x20 */
    double *season;                 /* 0x28 */
};
static_assert(offsetof(ZINT_CUSTREF, release) == 0x8);
static_assert(offsetof(ZINT_CUSTREF, count) == 0x10);
static_assert(offsetof(ZINT_CUSTREF, begin) == 0x18);
static_assert(offsetof(ZINT_CUSTREF, end) == 0x20);
static_assert(offsetof(ZINT_CUSTREF, season) == 0x28);
static_assert(sizeof(ZINT_CUSTREF) == 0x30);

/* The row reader of a load: fills definition from the data set behind
 * context; returns 0 or a negative status. */
using orv_custom_row_reader = int (*)(void *context, const ZINT_CUSTOM_LOAD_HEADER *header,
                                      ZINT_CUSTREF *definition);

/* ---- The extension and its registry. */
struct ZINT_CUSTOM_REGISTRY;
struct ORV_CUSTOM_EXTENSION;

struct ZINT_CUSTOM_REGISTRY {
    /* Registers (name, library reference, member); 0 or a negative status. */
    int (*registerEntry)(ZINT_CUSTOM_REGISTRY *registry, const uint32_t *name, int32_t nameLength,
                         const uint32_t *libref, int32_t librefLength, const uint32_t *member,
                         int32_t memberLength); /* 0x0 */
    /* 0 when an entry of that name exists (without regard to case); the
     * 48-byte result record is the caller's, zeroed. */
    int (*isKnown)(ZINT_CUSTOM_REGISTRY *registry, const uint32_t *name, int32_t nameLength,
                   void *result); /* 0x8 */
    void (*release)(ZINT_CUSTOM_REGISTRY *registry); /* 0x10 */
    /* Finds the entry of a name that may end in the multiplier and the
     * shift (shift + 1 after a dot); fills query.  0 (query.name.length 0
     * when none matched) or a negative status. */
    int (*findEntry)(ZINT_CUSTOM_REGISTRY *registry, const uint32_t *name, int32_t nameLength,
                     int32_t multiplier, int32_t shift, ZINT_CUSTOM_QUERY *query); /* 0x18 */
    /* A reference to the loaded definition of a registered name (the holder
     * releases it), or null when it is not loaded. */
    ZINT_CUSTREF *(*getReference)(ZINT_CUSTOM_REGISTRY *registry, const uint32_t *name,
                                  int32_t nameLength); /* 0x20 */
    /* Loads the definition of the data set the header names, calling reader
     * once; 0, or a negative status (also recorded in the journal). */
    int (*loadDefinition)(ZINT_CUSTOM_REGISTRY *registry, const ZINT_CUSTOM_LOAD_HEADER *header,
                          orv_custom_row_reader reader, void *context, ORV_JOURNAL *journal); /* 0x28 */
};
static_assert(offsetof(ZINT_CUSTOM_REGISTRY, release) == 0x10);
static_assert(offsetof(ZINT_CUSTOM_REGISTRY, findEntry) == 0x18);
static_assert(offsetof(ZINT_CUSTOM_REGISTRY, getReference) == 0x20);
static_assert(offsetof(ZINT_CUSTOM_REGISTRY, loadDefinition) == 0x28);
static_assert(sizeof(ZINT_CUSTOM_REGISTRY) == 0x30);

struct ORV_CUSTOM_EXTENSION {
    /* A new registry, or null (the status is recorded in the journal). */
    ZINT_CUSTOM_REGISTRY *(*createRegistry)(ORV_CUSTOM_EXTENSION *extension,
                                            ORV_JOURNAL *journal); /* 0x0 */
    void *reserved8;                                               /* 0x8 */
    void (*release)(ORV_CUSTOM_EXTENSION *extension);              /* 0x10 */
};
static_assert(offsetof(ORV_CUSTOM_EXTENSION, release) == 0x10);
static_assert(sizeof(ORV_CUSTOM_EXTENSION) == 0x18);

/* One of the two host objects an instance offers for extensions, with its
 * two attributes; handed to the extension loader as a pair. */
struct ZINT_HOST_OBJECT {
    void *object;    /* 0x0 */
    uint64_t word;   /* 0x8 */
    int32_t value;   /* 0x10 */
    uint32_t reserved14;
};
static_assert(offsetof(ZINT_HOST_OBJECT, word) == 0x8);
static_assert(offsetof(ZINT_HOST_OBJECT, value) == 0x10);
static_assert(sizeof(ZINT_HOST_OBJECT) == 0x18);

/* The name of the extension, and the longest texts the manager converts
 * (in bytes of 32-bit characters). */
constexpr char ZINT_CUSTOM_EXTENSION_NAME[] = "qxecintc";

#endif
