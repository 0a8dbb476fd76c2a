/*
 * host_records.h - records that the host and the modules share byte for byte.
 *
 * The global control block GCB, the procedure-instance chain that leads to the
 * parse-control slot, the memory-object record, and the record behind GCB word
 * 0x48 that carries the host's "ALL" missing value.  The modules, the orvhost
 * platform and the tests all include this one header; every offset is pinned
 * at compile time so that a change of layout fails the build.
 *
 * Fields the modules never read are kept as reserved bytes so that the
 * offsets below stay those of the interface.
 */
#ifndef ORV_HOST_RECORDS_H
#define ORV_HOST_RECORDS_H

#include <cstddef>
#include <cstdint>

/* Allocate and free routines of a memory object (global object, second
 * object, and every memory pool).  Flags seen at call sites: 0x3006, 0x2004,
 * 0x2002, 0x2006; bit ORV_MEM_ZERO_FILL (0x4) asks for a zero-filled block.
 * The free routine is called as (object, block, 0, mode) with mode 4. */
struct MEMORY_OBJECT;
using orv_allocate_fn = void *(*)(MEMORY_OBJECT *object, size_t size, int flags);
using orv_free_fn = void (*)(MEMORY_OBJECT *object, void *block, int zero, int mode);

constexpr int ORV_MEM_ZERO_FILL = 0x4;
constexpr int ORV_MEM_FREE_MODE = 4;

struct MEMORY_OBJECT {
    orv_allocate_fn allocate; /* 0x0 */
    orv_free_fn release;      /* 0x8 */
};
static_assert(offsetof(MEMORY_OBJECT, allocate) == 0x0);
static_assert(offsetof(MEMORY_OBJECT, release) == 0x8);
static_assert(sizeof(MEMORY_OBJECT) == 16);

/* The procedure-instance chain: instance word 0x48 -> link record word 0x50 ->
 * slot record word 0xA0, which holds the step's parse-control block. */
struct PARSE_SLOT_RECORD {
    uint8_t reserved0[0xA0];
    void *parseControl; /* 0xA0: PARSE_CONTROL of the running step */
};
static_assert(offsetof(PARSE_SLOT_RECORD, parseControl) == 0xA0);

struct INSTANCE_LINK_RECORD {
    uint8_t reserved0[0x50];
    PARSE_SLOT_RECORD *slotRecord; /* 0x50 */
};
static_assert(offsetof(INSTANCE_LINK_RECORD, slotRecord) == 0x50);

struct PROC_INSTANCE {
    uint64_t firstWord; /* 0x0: read by the callback registration when no
                           current-instance slot exists (1 = this instance) */
    uint8_t reserved8[0x40];
    INSTANCE_LINK_RECORD *link; /* 0x48 */
    uint8_t reserved50[0xC0];
    void *logHandle; /* 0x110: handle of the step's log and listing */
};
static_assert(offsetof(PROC_INSTANCE, firstWord) == 0x0);
static_assert(offsetof(PROC_INSTANCE, link) == 0x48);
static_assert(offsetof(PROC_INSTANCE, logHandle) == 0x110);

/* Record behind GCB word 0x48: the double at 0x208 is the missing value that
 * the host writes for a duration of ALL.  This host uses the special missing
 * value .A (bit pattern 0xFFFFFD0000000000). */
constexpr uint64_t ORV_ALL_MISSING_BITS = 0xFFFFFD0000000000ull;

struct HOST_VALUES_RECORD {
    uint8_t reserved0[0x208];
    double allMissing; /* 0x208 */
};
static_assert(offsetof(HOST_VALUES_RECORD, allMissing) == 0x208);

/* Character-class bits of the table behind GCB word 0x40. */
constexpr uint8_t ORV_CLASS_LETTER = 0x1;
constexpr uint8_t ORV_CLASS_DIGIT = 0x2;

/* Chain behind GCB word 0x68: word 0x18 points to a record whose word 0x48 is
 * non-zero when a multi-byte character set is in use. */
struct MBCS_STATE_RECORD {
    uint8_t reserved0[0x48];
    uint64_t multiByte; /* 0x48 */
};
static_assert(offsetof(MBCS_STATE_RECORD, multiByte) == 0x48);

struct LOCALE_RECORD {
    uint8_t reserved0[0x18];
    MBCS_STATE_RECORD *mbcs; /* 0x18 */
};
static_assert(offsetof(LOCALE_RECORD, mbcs) == 0x18);

/* Record behind GCB word 0x108: two words handed on to host calls when a
 * custom interval is loaded. */
struct CUSTOM_LOAD_RECORD {
    uint8_t reserved0[0x28408];
    uint64_t word28408; /* 0x28408 */
    uint64_t word28410; /* 0x28410 */
};
static_assert(offsetof(CUSTOM_LOAD_RECORD, word28408) == 0x28408);
static_assert(offsetof(CUSTOM_LOAD_RECORD, word28410) == 0x28410);

/* The global control block.  Word 0 is the table of service vectors (one
 * routine table per vector number, indexed by slot); word 8 the per-vector
 * in-call flags that every service call clears. */
using orv_routine_table = void **;

struct GCB {
    orv_routine_table *vectors;   /* 0x0 */
    uint8_t *inCallFlags;         /* 0x8 */
    uint8_t reserved10[0x10];
    PROC_INSTANCE *instance;      /* 0x20 */
    MEMORY_OBJECT *globalMemory;  /* 0x28 */
    const uint8_t *collating;     /* 0x30: 256-byte collating table */
    uint8_t reserved38[0x8];
    const uint8_t *charClass;     /* 0x40: 256-byte character classes */
    HOST_VALUES_RECORD *values;   /* 0x48 */
    uint8_t reserved50[0x18];
    LOCALE_RECORD *locale;        /* 0x68 */
    uint8_t reserved70[0x28];
    MEMORY_OBJECT *secondMemory;  /* 0x98 */
    uint8_t reservedA0[0x38];
    const uint8_t *const *translate; /* 0xD8: translate tables by number */
    uint8_t reservedE0[0x28];
    CUSTOM_LOAD_RECORD *customLoad;  /* 0x108 */
    uint8_t reserved110[0xB0];
    uint64_t *currentInstance;       /* 0x1C0 */
    uint8_t reserved1C8[0xC8];
    void *kernelHandle;              /* 0x290 */
};
static_assert(offsetof(GCB, vectors) == 0x0);
static_assert(offsetof(GCB, inCallFlags) == 0x8);
static_assert(offsetof(GCB, instance) == 0x20);
static_assert(offsetof(GCB, globalMemory) == 0x28);
static_assert(offsetof(GCB, collating) == 0x30);
static_assert(offsetof(GCB, charClass) == 0x40);
static_assert(offsetof(GCB, values) == 0x48);
static_assert(offsetof(GCB, locale) == 0x68);
static_assert(offsetof(GCB, secondMemory) == 0x98);
static_assert(offsetof(GCB, translate) == 0xD8);
static_assert(offsetof(GCB, customLoad) == 0x108);
static_assert(offsetof(GCB, currentInstance) == 0x1C0);
static_assert(offsetof(GCB, kernelHandle) == 0x290);
static_assert(sizeof(GCB) == 0x298);

/* Number of the host's translate tables behind GCB word 0xD8: 0 and 2
 * upper-case, 1 and 3 lower-case, 4 leaves every byte as it is. */
constexpr int ORV_TRANSLATE_TABLE_COUNT = 5;

/* A name list made by the statement parser: a chain of blocks.  Names are
 * numbered from 0 across the chain; each block holds the names up to and
 * including lastIndex, packed from offset 32 as a length byte followed by
 * that many bytes of text. */
struct NAME_LIST_BLOCK {
    uint8_t reserved0[8];
    NAME_LIST_BLOCK *next; /* 0x8: null in the last block */
    uint8_t reserved10[8];
    int64_t lastIndex;     /* 0x18 */
    uint8_t names[];       /* 0x20 */
};
static_assert(offsetof(NAME_LIST_BLOCK, next) == 0x8);
static_assert(offsetof(NAME_LIST_BLOCK, lastIndex) == 0x18);
static_assert(offsetof(NAME_LIST_BLOCK, names) == 0x20);

/* Open record of a utility file (xcopen), 124 bytes. */
struct UTILITY_OPEN_RECORD {
    char member[8];      /* 0: blanks, no member name */
    uint8_t zero8[40];   /* 8 */
    uint16_t zero48;     /* 48 */
    char blanks50[32];   /* 50 */
    char memberType[8];  /* 82: "UTILITY " */
    uint8_t zero90[30];  /* 90 */
    uint32_t openFlags;  /* 120: ORV_UTILITY_OPEN_FLAGS */
};
static_assert(offsetof(UTILITY_OPEN_RECORD, zero8) == 8);
static_assert(offsetof(UTILITY_OPEN_RECORD, zero48) == 48);
static_assert(offsetof(UTILITY_OPEN_RECORD, blanks50) == 50);
static_assert(offsetof(UTILITY_OPEN_RECORD, memberType) == 82);
static_assert(offsetof(UTILITY_OPEN_RECORD, zero90) == 90);
static_assert(offsetof(UTILITY_OPEN_RECORD, openFlags) == 120);
static_assert(sizeof(UTILITY_OPEN_RECORD) == 124);

constexpr uint32_t ORV_UTILITY_OPEN_FLAGS = 0x84000008u;

/* Utility-file positions and statuses.  xcpoint to ORV_UTILITY_TRUNCATE cuts
 * the file at the current position.  A status is end of file when its bits
 * under ORV_STATUS_EOF_MASK equal ORV_STATUS_EOF_BITS; the host returns
 * ORV_STATUS_EOF for it. */
constexpr int64_t ORV_UTILITY_TRUNCATE = -2;
constexpr uint32_t ORV_STATUS_EOF_MASK = 0x803FFFFFu;
constexpr uint32_t ORV_STATUS_EOF_BITS = 0x801u;
constexpr int ORV_STATUS_EOF = int(0x80000801u);

/* An open data set as the modules see it.  A data set read by BY groups
 * (ORV_DS_READS_BY_GROUP) is read with xybyget; otherwise through its own read
 * routine.  Output data sets are written through the own write routine after
 * the values were moved into row.  ORV_DS_STATUS_PENDING asks the caller to
 * pass every status to xofprc. */
struct DATA_SET_HANDLE {
    uint32_t flags;          /* 0x0 */
    int32_t status;          /* 0x4: status of the last own read or write */
    int (*read)(DATA_SET_HANDLE *handle);  /* 0x8: next observation into row */
    int (*write)(DATA_SET_HANDLE *handle); /* 0x10: writes row as an observation */
    void *row;               /* 0x18: current observation; null when exhausted */
    int64_t observationCount; /* 0x20: observations read with ORV_DS_COUNT */
    int32_t readMode;        /* 0x28: request of the next own read (11 = next) */
    uint32_t readFlags;      /* 0x2C: ORV_DS_COUNT */
    void *host;              /* 0x30: the host's own state of the data set */
};
static_assert(offsetof(DATA_SET_HANDLE, status) == 0x4);
static_assert(offsetof(DATA_SET_HANDLE, read) == 0x8);
static_assert(offsetof(DATA_SET_HANDLE, write) == 0x10);
static_assert(offsetof(DATA_SET_HANDLE, row) == 0x18);
static_assert(offsetof(DATA_SET_HANDLE, observationCount) == 0x20);
static_assert(offsetof(DATA_SET_HANDLE, readMode) == 0x28);
static_assert(offsetof(DATA_SET_HANDLE, readFlags) == 0x2C);
static_assert(offsetof(DATA_SET_HANDLE, host) == 0x30);

constexpr uint32_t ORV_DS_READS_BY_GROUP = 0x1;
constexpr uint32_t ORV_DS_STATUS_PENDING = 0x2;
constexpr int32_t ORV_DS_READ_NEXT = 11;
constexpr uint32_t ORV_DS_COUNT = 0x40;

/* A fetch definition (xvgeti) and an output binding (xvputi).  When move is
 * set it replaces xyvget or xyvput for moving one observation. */
struct FETCH_HANDLE {
    int (*move)(FETCH_HANDLE *fetch, const void *row); /* 0x0: row into the bound buffers */
    void *host;                                        /* 0x8 */
};
static_assert(offsetof(FETCH_HANDLE, host) == 0x8);

struct PUT_BINDING {
    int (*move)(PUT_BINDING *binding, void *row); /* 0x0: bound buffers into row */
    void *host;                                   /* 0x8 */
};
static_assert(offsetof(PUT_BINDING, host) == 0x8);

/* Service identifier that a call stub leaves in R11: (vector << 32) | slot. */
constexpr uint64_t orvServiceId(uint32_t vector, uint32_t slot)
{
    return (uint64_t{vector} << 32) | slot;
}

#endif
