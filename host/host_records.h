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

/* The control block as the modules' service stubs reach it, and the
 * process anchor handed on when a callback is registered: a module's
 * mcn_main sets both; orvhost sets its own for the module code it links. */
extern "C" GCB *v_global_gcb_anchor;
extern "C" void *v_global_pidb_anchor;

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
 * under ORV_STATUS_EOF_MASK equal ORV_STATUS_EOF_BITS (the mask keeps bit 31,
 * so an end-of-file status is never negative); this host returns
 * ORV_STATUS_EOF for it. */
constexpr int64_t ORV_UTILITY_TRUNCATE = -2;
constexpr uint32_t ORV_STATUS_EOF_MASK = 0x803FFFFFu;
constexpr uint32_t ORV_STATUS_EOF_BITS = 0x801u;
constexpr int ORV_STATUS_EOF = 0x801;

/* An open data set as the modules see it.
 *
 * Input data sets carry ORV_DS_READS_BY_GROUP and are read with xybyget; their
 * own read routine does exactly what xybyget does, so either road gives the
 * same observations.  A read delivers the next observation of the current BY
 * group into row and returns 0; at the end of the group (or of the data) it
 * sets row to null and returns the positive ORV_DS_END_OF_GROUP; a failure
 * (malformed data, data not sorted by the BY variables) sets row to null and
 * returns a negative host status, after the host logged what went wrong with
 * the file name and line.  The own read routine adds 1 to observationCount
 * for every observation it delivers while readFlags holds ORV_DS_COUNT;
 * callers only read the count.  readMode is informational: every own read
 * reads the next observation.
 *
 * Output data sets are written through the own write routine after xyvput
 * moved the values into row (row is null until xvpute ended the variable
 * definitions); observationCount counts the observations written.
 *
 * status holds the result of the last own read or write.  The host sets
 * ORV_DS_STATUS_PENDING with a failing status; the caller passes the status
 * to xofprc, which clears the flag. */
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

/* Result of a read at the end of a BY group or of the data: positive, and an
 * end-of-file status under ORV_STATUS_EOF_MASK. */
constexpr int ORV_DS_END_OF_GROUP = 0x801;

/* A fetch definition (xvgeti) and an output binding (xvputi).  When move is
 * set it replaces xyvget or xyvput for moving one observation; this host
 * leaves it null.  Both live until xvgett (fetch) or until their data set is
 * closed. */
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

/* Sizes of the names and texts of data sets and variables. */
constexpr int ORV_DS_LIBREF_LENGTH = 8;     /* library reference */
constexpr int ORV_DS_MEMBER_LENGTH = 32;    /* member (data-set) name */
constexpr int ORV_DS_VARIABLE_NAME_LENGTH = 32;
constexpr int ORV_DS_LABEL_LENGTH = 256;    /* data-set and variable labels */
constexpr int ORV_DS_FORMAT_NAME_LENGTH = 32;
/* "LIB.MEMBER": library reference, '.', member. */
constexpr int ORV_DS_QUALIFIED_NAME_LENGTH = ORV_DS_LIBREF_LENGTH + 1 + ORV_DS_MEMBER_LENGTH;

/* xoopen's open request.  libref is blank-padded (all blanks or all zero
 * bytes = WORK); member holds memberLength characters, blank-padded (a
 * memberLength of 0 takes the member up to its first blank or zero byte).
 * A zero-filled request therefore opens for input. */
constexpr int32_t ORV_DS_OPEN_INPUT = 0;
constexpr int32_t ORV_DS_OPEN_OUTPUT = 1;

struct DATA_SET_OPEN_REQUEST {
    char libref[ORV_DS_LIBREF_LENGTH];  /* 0 */
    int16_t memberLength;               /* 8 */
    char member[ORV_DS_MEMBER_LENGTH];  /* 10 */
    uint8_t reserved42[2];              /* 42 */
    int32_t mode;                       /* 44: ORV_DS_OPEN_INPUT or ORV_DS_OPEN_OUTPUT */
};
static_assert(offsetof(DATA_SET_OPEN_REQUEST, memberLength) == 8);
static_assert(offsetof(DATA_SET_OPEN_REQUEST, member) == 10);
static_assert(offsetof(DATA_SET_OPEN_REQUEST, mode) == 44);
static_assert(sizeof(DATA_SET_OPEN_REQUEST) == 48);

/* Counted texts: a length, then the text blank-padded to its fixed size. */
struct ORV_COUNTED_NAME {
    int16_t length;                     /* 0 */
    char text[ORV_DS_MEMBER_LENGTH];    /* 2 */
};
static_assert(sizeof(ORV_COUNTED_NAME) == 34);

struct ORV_COUNTED_LABEL {
    int16_t length;                     /* 0 */
    char text[ORV_DS_LABEL_LENGTH];     /* 2 */
};
static_assert(sizeof(ORV_COUNTED_LABEL) == 258);

struct ORV_COUNTED_DATA_SET_NAME {
    int16_t length;                            /* 0 */
    char text[ORV_DS_QUALIFIED_NAME_LENGTH];   /* 2: "LIB.MEMBER" */
};
static_assert(offsetof(ORV_COUNTED_DATA_SET_NAME, text) == 2);
static_assert(sizeof(ORV_COUNTED_DATA_SET_NAME) == 44); /* 43 bytes and one of padding */

/* xoinfo items, with the field each fills (or, for item 22, reads):
 *   2   int64: observations, counted in the file when not known otherwise
 *   3   int64: observations when known without reading the file, else -1
 *   11  char[8]: library reference, blank-padded
 *   12  ORV_COUNTED_NAME: member name
 *   14  ORV_COUNTED_LABEL: data-set label
 *   17  int32: 1 = xonote gives observation numbers
 *   22  ORV_COUNTED_LABEL (read): sets the data-set label
 *   23  int32: 1 = the data set is read sequentially (input), 0 = output
 *   35  int32: 1 = item 3 is not known (-1), so observation counts are
 *       estimates
 *   81  ORV_COUNTED_DATA_SET_NAME: "LIB.MEMBER" */
enum : int {
    ORV_DS_INFO_COUNTED_OBSERVATIONS = 2,
    ORV_DS_INFO_OBSERVATIONS = 3,
    ORV_DS_INFO_LIBREF = 11,
    ORV_DS_INFO_MEMBER = 12,
    ORV_DS_INFO_LABEL = 14,
    ORV_DS_INFO_OBSERVATION_NUMBERS = 17,
    ORV_DS_INFO_SET_LABEL = 22,
    ORV_DS_INFO_SEQUENTIAL = 23,
    ORV_DS_INFO_COUNT_ESTIMATED = 35,
    ORV_DS_INFO_QUALIFIED_NAME = 81,
};

/* Variable types of a VARIABLE_DESCRIPTOR, and the fetch type of xvgetd. */
constexpr int32_t ORV_VAR_NUMERIC = 0;
constexpr int32_t ORV_VAR_CHARACTER = 1;

/* A variable's description: filled by xvname, initialised by xvnamei and
 * filled by the caller before xvputd defines an output variable from it.
 * Names and labels are counted, blank-padded texts.  A format name is
 * written without width and '.', as "DATE"; formatCode is its identifier
 * (99 = none or unknown to this host).  number is 0 in a descriptor that
 * xvnamei initialised. */
struct VARIABLE_DESCRIPTOR {
    int32_t number;                                  /* 0: 1-based variable number */
    int32_t type;                                    /* 4: ORV_VAR_NUMERIC or ORV_VAR_CHARACTER */
    int32_t length;                                  /* 8: bytes (8 for numbers) */
    int16_t nameLength;                              /* 12 */
    char name[ORV_DS_VARIABLE_NAME_LENGTH];          /* 14 */
    int16_t labelLength;                             /* 46 */
    char label[ORV_DS_LABEL_LENGTH];                 /* 48 */
    int16_t formatNameLength;                        /* 304 */
    char formatName[ORV_DS_FORMAT_NAME_LENGTH];      /* 306 */
    int16_t formatWidth;                             /* 338: 0 = the format's default */
    int16_t formatDecimals;                          /* 340 */
    uint8_t reserved342[2];                          /* 342 */
    int64_t formatCode;                              /* 344 */
    int16_t informatNameLength;                      /* 352 */
    char informatName[ORV_DS_FORMAT_NAME_LENGTH];    /* 354 */
    int16_t informatWidth;                           /* 386 */
    int16_t informatDecimals;                        /* 388 */
    uint8_t reserved390[2];                          /* 390 */
};
static_assert(offsetof(VARIABLE_DESCRIPTOR, type) == 4);
static_assert(offsetof(VARIABLE_DESCRIPTOR, length) == 8);
static_assert(offsetof(VARIABLE_DESCRIPTOR, nameLength) == 12);
static_assert(offsetof(VARIABLE_DESCRIPTOR, name) == 14);
static_assert(offsetof(VARIABLE_DESCRIPTOR, labelLength) == 46);
static_assert(offsetof(VARIABLE_DESCRIPTOR, label) == 48);
static_assert(offsetof(VARIABLE_DESCRIPTOR, formatNameLength) == 304);
static_assert(offsetof(VARIABLE_DESCRIPTOR, formatName) == 306);
static_assert(offsetof(VARIABLE_DESCRIPTOR, formatWidth) == 338);
static_assert(offsetof(VARIABLE_DESCRIPTOR, formatDecimals) == 340);
static_assert(offsetof(VARIABLE_DESCRIPTOR, formatCode) == 344);
static_assert(offsetof(VARIABLE_DESCRIPTOR, informatNameLength) == 352);
static_assert(offsetof(VARIABLE_DESCRIPTOR, informatName) == 354);
static_assert(offsetof(VARIABLE_DESCRIPTOR, informatWidth) == 386);
static_assert(offsetof(VARIABLE_DESCRIPTOR, informatDecimals) == 388);
static_assert(sizeof(VARIABLE_DESCRIPTOR) == 392);

/* An option slot of a variable list as xvdflst reads and writes it (24
 * bytes, the parser's option-values record).  Before the call the parser
 * leaves given = 0 (no list: the result is the empty list) or given = 1 with
 * count variable numbers at numbers; xvdflst checks them and writes the
 * resolved count and numbers back (numbers then points to host memory that
 * lives as long as the data set stays open). */
struct ORV_VARIABLE_LIST_SLOT {
    uint8_t given;          /* 0 */
    uint8_t reserved1[7];   /* 1 */
    int32_t count;          /* 8 */
    uint8_t reserved12[4];  /* 12 */
    int32_t *numbers;       /* 16 */
};
static_assert(offsetof(ORV_VARIABLE_LIST_SLOT, count) == 8);
static_assert(offsetof(ORV_VARIABLE_LIST_SLOT, numbers) == 16);
static_assert(sizeof(ORV_VARIABLE_LIST_SLOT) == 24);

/* Service identifier that a call stub leaves in R11: (vector << 32) | slot. */
constexpr uint64_t orvServiceId(uint32_t vector, uint32_t slot)
{
    return (uint64_t{vector} << 32) | slot;
}

/* ---- Statement parsing: the parse result, the grammar block and the
 * parser's callback protocol.  The host parser (xsproc) fills these records;
 * the modules read them.  Offsets named here are interface offsets. ---- */

/* One option slot of an option-values record: 24 bytes.  given says whether
 * the option was given (ORV_SLOT_VALUE for one value, ORV_SLOT_LIST for a
 * list); type says how the words at 0x8 and 0x10 are to be read.  A list
 * keeps its item count at 0x8 and its items at 0x10; itemSize and capacity
 * belong to the host's list appends (zaddlst). */
enum : uint8_t {
    ORV_SLOT_NOT_GIVEN = 0,
    ORV_SLOT_VALUE = 1,
    ORV_SLOT_LIST = 3,
};

/* Slot types (byte 0x1 of a slot). */
enum : uint8_t {
    ORV_SLOT_NONE = 0,
    ORV_SLOT_DOUBLE = 1,    /* 0x8 double; as a list, doubles at 0x10 */
    ORV_SLOT_CHARACTER = 2, /* 0x8 one character */
    ORV_SLOT_TEXT = 3,      /* 0x8 int32 length, 0x10 text (not terminated) */
    ORV_SLOT_DATA_SET = 4,  /* 0x8 DATA_SET_HANDLE * */
    ORV_SLOT_INTERVAL = 5,  /* 0x8 pointer to a 56-byte interval descriptor */
    ORV_SLOT_FORMAT = 6,    /* 0x10 FORMAT_RECORD * */
    ORV_SLOT_NAMES = 7,     /* 0x8 int32 name count, 0x10 NAME_LIST_BLOCK chain */
    ORV_SLOT_VARIABLES = 8, /* 0x8 int32 count, 0x10 int32 variable numbers */
    ORV_SLOT_VARIABLE_SPEC = 9, /* 0x8 int32 item count, 0x10 NAME_LIST_BLOCK chain of
                                   variable-list items (below) */
    ORV_SLOT_ID = 10,       /* 0x8 NAME_LIST_BLOCK with the name, 0x10 int32 * number
                               (null until resolved) */
};

struct OPTION_SLOT {
    uint8_t given;     /* 0x0 */
    uint8_t type;      /* 0x1 */
    uint16_t itemSize; /* 0x2: bytes per list item */
    uint32_t capacity; /* 0x4: list items the block at 0x10 holds */
    union {
        double number;
        int32_t count;
        char character;
        void *pointer;
    } value;           /* 0x8 */
    void *items;       /* 0x10 */
};
static_assert(offsetof(OPTION_SLOT, type) == 0x1);
static_assert(offsetof(OPTION_SLOT, itemSize) == 0x2);
static_assert(offsetof(OPTION_SLOT, capacity) == 0x4);
static_assert(offsetof(OPTION_SLOT, value) == 0x8);
static_assert(offsetof(OPTION_SLOT, items) == 0x10);
static_assert(sizeof(OPTION_SLOT) == 24);

/* Variable-list items (ORV_SLOT_VARIABLE_SPEC), one name-list entry each, in
 * canonical upper-case text: "NAME", "A-B", "A--B", "A-NUMERIC-B",
 * "A-CHARACTER-B" (also for -CHAR-), "PREFIX:", "_NUMERIC_", "_CHARACTER_"
 * (also for _CHAR_), "_ALL_".  Variable names never hold '-' or ':', so the
 * text is unambiguous. */

/* A format given in a statement (FORMAT=): width at 0, identifier at 8. */
struct FORMAT_RECORD {
    int16_t width;      /* 0x0: 0 when not written */
    int16_t decimals;   /* 0x2 */
    uint8_t reserved4[4];
    int64_t identifier; /* 0x8 */
};
static_assert(offsetof(FORMAT_RECORD, decimals) == 0x2);
static_assert(offsetof(FORMAT_RECORD, identifier) == 0x8);
static_assert(sizeof(FORMAT_RECORD) == 16);

/* A statement node of the parse result.  The procedure statement is the
 * first node of the chain; every sub-statement follows in the order written.
 * Option bit n is the bit with mask 0x80 >> (n % 8) in optionBits[n / 8];
 * the sub-statements call optionBits[0] and [1] flag byte 1 and flag byte
 * 2. */
struct STATEMENT_NODE {
    STATEMENT_NODE *next;  /* 0x0 */
    char name[32];         /* 0x8: the statement keyword, blank-padded */
    uint8_t optionBits[8]; /* 0x28 */
    int32_t line;          /* 0x30: where the keyword stands in the job file */
    int32_t column;        /* 0x34 */
    int16_t nameLength;    /* 0x38 */
    int16_t slotCount;     /* 0x3A: slots of the option-values record */
    int32_t symbol;        /* 0x3C: grammar symbol of the keyword */
    uint8_t reserved40[0x10];
    OPTION_SLOT *options;  /* 0x50: option-values record */
};
static_assert(offsetof(STATEMENT_NODE, name) == 0x8);
static_assert(offsetof(STATEMENT_NODE, optionBits) == 0x28);
static_assert(offsetof(STATEMENT_NODE, line) == 0x30);
static_assert(offsetof(STATEMENT_NODE, options) == 0x50);
static_assert(sizeof(STATEMENT_NODE) == 0x58);

/* The token the parser hands to its action callback: kind is the token
 * class (1 to 19, the first symbols of every grammar: 4 INT, 8 DATE,
 * 9 TIME, 10 DATETIME ...), value its number (dates, times and datetimes
 * already converted). */
struct PARSE_TOKEN {
    int32_t kind;       /* 0x0 */
    int32_t subKind;    /* 0x4: 0 for every token of this host */
    double value;       /* 0x8: missing for tokens without a number */
    const char *text;   /* 0x10: as written, not terminated */
    int32_t length;     /* 0x18 */
    int32_t line;       /* 0x1C */
    int32_t column;     /* 0x20 */
    uint8_t reserved24[4];
};
static_assert(offsetof(PARSE_TOKEN, value) == 0x8);
static_assert(offsetof(PARSE_TOKEN, text) == 0x10);
static_assert(offsetof(PARSE_TOKEN, column) == 0x20);
static_assert(sizeof(PARSE_TOKEN) == 0x28);

/* A grammar action as the parser hands it to the action callback: its code,
 * its arguments from argtbl, the option-values record of the statement being
 * parsed and, for action 41, the item count of the value list the group
 * belongs to (0 for other actions). */
struct PARSE_ACTION {
    int32_t code;            /* 0x0 */
    int32_t argumentCount;   /* 0x4 */
    const int16_t *arguments;/* 0x8 */
    OPTION_SLOT *options;    /* 0x10 */
    int64_t listCount;       /* 0x18 */
};
static_assert(offsetof(PARSE_ACTION, arguments) == 0x8);
static_assert(offsetof(PARSE_ACTION, options) == 0x10);
static_assert(offsetof(PARSE_ACTION, listCount) == 0x18);
static_assert(sizeof(PARSE_ACTION) == 0x20);

/* Action 41 (timing values): arguments [sub-action, kind-list slot, run-list
 * slot, value-list slot]; the parser calls the callback with sub-action
 * ORV_TIMING_GROUP_START right after the first value of a group was read
 * (before it is stored) and ORV_TIMING_GROUP_END after the group's last value
 * was stored. */
constexpr int ORV_ACTION_TIMING = 41;
constexpr int ORV_TIMING_GROUP_START = 1;
constexpr int ORV_TIMING_GROUP_END = 2;

/* The action callback at PARSE_CONTROL 0x90: (parse-control block, token,
 * action); returns 0.  It may end the step through xexit. */
using orv_action_callback = int (*)(void *parseControl, const PARSE_TOKEN *token,
                                    const PARSE_ACTION *action);

/* The parse-control block: 400 bytes, obtained by xinit, filled by the host
 * parser. */
struct PARSE_CONTROL {
    STATEMENT_NODE *statement;   /* 0x0: the procedure statement */
    uint8_t reserved8[0x10];
    int16_t status;              /* 0x18: 0, or the return code of a failed parse */
    uint8_t reserved1A[0x76];
    orv_action_callback actionCallback; /* 0x90 */
    uint8_t reserved98[0x58];
    int64_t logLine;             /* 0xF0 */
    int64_t printLine;           /* 0xF8 */
    uint64_t outputLine;         /* 0x100: one word, registered with the log handle */
    int64_t messageLine;         /* 0x108 */
    uint8_t reserved110[0x28];
    uint8_t synTrace;            /* 0x138 */
    uint8_t semTrace;            /* 0x139 */
    uint8_t reserved13A[0x56];
};
static_assert(offsetof(PARSE_CONTROL, status) == 0x18);
static_assert(offsetof(PARSE_CONTROL, actionCallback) == 0x90);
static_assert(offsetof(PARSE_CONTROL, logLine) == 0xF0);
static_assert(offsetof(PARSE_CONTROL, printLine) == 0xF8);
static_assert(offsetof(PARSE_CONTROL, outputLine) == 0x100);
static_assert(offsetof(PARSE_CONTROL, messageLine) == 0x108);
static_assert(offsetof(PARSE_CONTROL, synTrace) == 0x138);
static_assert(offsetof(PARSE_CONTROL, semTrace) == 0x139);
static_assert(sizeof(PARSE_CONTROL) == 400);

/* The grammar control block handed to xsproc: a header and the fifteen
 * tables of a module's grammar.  Symbols are numbered from 1 in symbol-table
 * order (token classes first, "$$$" last); nonterminal j is symbol
 * symbolCount + 1 + j. */
struct GRAMMAR_BLOCK {
    uint16_t version;            /* 0: 1 */
    uint16_t symbolCountPlusOne; /* 2 */
    uint16_t symbolCount;        /* 4 */
    uint16_t parseListLength;    /* 6: entries of prslst */
    const int16_t *prdlst;       /* 8: productions: count, then the right-hand side
                                    last element first; -k calls action k */
    const int16_t *prdndx;       /* 16: per production, its index in prdlst */
    const int16_t *lhstbl;       /* 24: per production, its nonterminal j */
    const int16_t *prslst;       /* 32: parse list (below) */
    const int16_t *prsndx;       /* 40: per nonterminal, its index in prslst */
    const int16_t *actmap;       /* 48: per action, its code */
    const int16_t *argndx;       /* 56: per action, index in argtbl or -1 */
    const int16_t *argtbl;       /* 64: argument records: count, arguments */
    const uint8_t *symtbl;       /* 72: names, each a length byte and the text */
    const int16_t *symndx;       /* 80: per symbol, its offset in symtbl */
    const int16_t *symmap;       /* 88: per symbol, its kind (ORV_SYMBOL_...) */
    const uint8_t *delcost;      /* 96: per symbol, cost of deleting it */
    const uint8_t *inscost;      /* 104: per symbol and nonterminal, cost of inserting
                                    it (a nonterminal: its cheapest string) */
    const int16_t *insndx;       /* 112: per nonterminal, index in instbl or -1 */
    const int16_t *instbl;       /* 120: cheapest strings: count, terminals */
    uint16_t word127;            /* 128: 127 */
    uint16_t word63;             /* 130: 63 */
    uint16_t insertTableLength;  /* 132: entries of instbl */
    uint8_t reserved134[2];
    void (*tokenCallback)(void);    /* 136 */
    void (*semanticCallback)(void); /* 144 */
    uint8_t reserved152[40];
    uint16_t tokenClassCount;    /* 192: 19 */
    uint8_t reserved194[54];
    void *trackingAnchor;        /* 248 */
    uint8_t reserved256[80];
};
static_assert(offsetof(GRAMMAR_BLOCK, symbolCountPlusOne) == 2);
static_assert(offsetof(GRAMMAR_BLOCK, symbolCount) == 4);
static_assert(offsetof(GRAMMAR_BLOCK, parseListLength) == 6);
static_assert(offsetof(GRAMMAR_BLOCK, prdlst) == 8);
static_assert(offsetof(GRAMMAR_BLOCK, instbl) == 120);
static_assert(offsetof(GRAMMAR_BLOCK, word127) == 128);
static_assert(offsetof(GRAMMAR_BLOCK, word63) == 130);
static_assert(offsetof(GRAMMAR_BLOCK, insertTableLength) == 132);
static_assert(offsetof(GRAMMAR_BLOCK, tokenCallback) == 136);
static_assert(offsetof(GRAMMAR_BLOCK, semanticCallback) == 144);
static_assert(offsetof(GRAMMAR_BLOCK, tokenClassCount) == 192);
static_assert(offsetof(GRAMMAR_BLOCK, trackingAnchor) == 248);
static_assert(sizeof(GRAMMAR_BLOCK) == 336);

/* Parse list: the record of nonterminal j (at prsndx[j]) is a count n and n
 * pairs (terminal, production), ordered by terminal: the production to
 * expand j by when that terminal is next.  Symbol kinds of symmap: */
enum : int16_t {
    ORV_SYMBOL_TOKEN_CLASS = 1,
    ORV_SYMBOL_PUNCTUATION = 2,
    ORV_SYMBOL_KEYWORD = 3,
    ORV_SYMBOL_END = 4,
};

/* Number of token classes at the head of every symbol table, and the two
 * symbols the parser itself produces: ENDJB for the ';' that ends a
 * statement, and the end marker "$$$" (the last symbol). */
constexpr int ORV_TOKEN_CLASS_COUNT = 19;
enum : int {
    ORV_TOKEN_ENDJB = 1,
    ORV_TOKEN_NAMEX = 2,
    ORV_TOKEN_QS = 3,
    ORV_TOKEN_INT = 4,
    ORV_TOKEN_NBR = 5,
    ORV_TOKEN_COMPOUND = 6,
    ORV_TOKEN_FMT = 7,
    ORV_TOKEN_DATE = 8,
    ORV_TOKEN_TIME = 9,
    ORV_TOKEN_DATETIME = 10,
    ORV_TOKEN_MISSING = 11,
    ORV_TOKEN_VLITERAL = 12,
    ORV_TOKEN_CATNAME = 13,
    ORV_TOKEN_ORVDS = 14,
};

/* Largest magnitude of a number in a statement: every whole number up to it
 * is exact in a double.  The lexer refuses a larger literal, and the event
 * data set readers a larger value where a statement takes a number. */
constexpr double ORV_LARGEST_STATEMENT_NUMBER = 9007199254740992.0; /* 2^53 */

/* ---- Host resources (wtrscrt, wtrsset, wtrsdel). */

/* The resource table as a clean-up routine reads it: a resource id holds the
 * block index in its high 16 bits and the entry in its low 16 bits, so the
 * entry of id is blocks[id >> 16][id & 0xFFFF].  Id 0 names no resource, and
 * ids are never reused within a process, so a stale id kept somewhere never
 * names a newer resource. */
struct HOST_RESOURCE_ENTRY {
    void *content;       /* 0x0 */
    void (*cleanup)(void); /* 0x8: null when the resource has none */
    uint64_t state;      /* 0x10: kResourceLive, kResourceDeleting, or 0 */
};
static_assert(offsetof(HOST_RESOURCE_ENTRY, content) == 0x0);
static_assert(offsetof(HOST_RESOURCE_ENTRY, cleanup) == 0x8);
static_assert(offsetof(HOST_RESOURCE_ENTRY, state) == 0x10);
static_assert(sizeof(HOST_RESOURCE_ENTRY) == 24);

struct HOST_RESOURCE_TABLE {
    HOST_RESOURCE_ENTRY **blocks; /* 0x0 */
    uint32_t blockCount;          /* 0x8 */
    uint32_t entriesPerBlock;     /* 0xC */
};
static_assert(offsetof(HOST_RESOURCE_TABLE, blocks) == 0x0);
static_assert(offsetof(HOST_RESOURCE_TABLE, blockCount) == 0x8);
static_assert(offsetof(HOST_RESOURCE_TABLE, entriesPerBlock) == 0xC);
static_assert(sizeof(HOST_RESOURCE_TABLE) == 16);

/* ---- Kernel extensions.  GCB word 0x290 (copied by mcn_main into
 * Exported_QXHandle) points to the KERNEL_HANDLE, through which modules load
 * the host's kernel extensions by name. ---- */

/* Loads the kernel extension named by `length` 32-bit characters (for
 * example "qxperf"); journal and hostObjects are handed on to extensions
 * that take them (null for those that do not).  Returns the extension
 * object, null when the host has no extension of that name or it is
 * unavailable. */
struct KERNEL_HANDLE;
using orv_kernel_load_fn = void *(*)(KERNEL_HANDLE *kernel, const uint32_t *name, int32_t length,
                                     void *journal, const void *hostObjects);

struct KERNEL_HANDLE {
    orv_kernel_load_fn loadByName; /* 0x0 */
    uint8_t reserved8[0x18];
};
static_assert(offsetof(KERNEL_HANDLE, loadByName) == 0x0);
static_assert(sizeof(KERNEL_HANDLE) == 0x20);

/* The timer extension "qxperf".  read fills a read area of four 64-bit
 * words: word 1 is reading A (elapsed time, in nanoseconds) and word 3 is
 * reading B (processor time, in nanoseconds); words 0 and 2 are the host's.
 * It returns 0.  release ends the caller's use of the object.  This host's
 * timer is deterministic: every read advances A by
 * ORV_PERF_TIMER_STEP_A and B by ORV_PERF_TIMER_STEP_B. */
struct ORV_PERF_TIMER;
using orv_perf_read_fn = int (*)(ORV_PERF_TIMER *timer, int64_t *readArea);
using orv_perf_release_fn = void (*)(ORV_PERF_TIMER *timer);

struct ORV_PERF_TIMER {
    orv_perf_read_fn read;       /* 0x0 */
    void *reserved8;             /* 0x8 */
    orv_perf_release_fn release; /* 0x10: third word, as for every extension object */
};
static_assert(offsetof(ORV_PERF_TIMER, read) == 0x0);
static_assert(offsetof(ORV_PERF_TIMER, release) == 0x10);
static_assert(sizeof(ORV_PERF_TIMER) == 0x18);

constexpr int ORV_PERF_READ_WORDS = 4;
constexpr int ORV_PERF_READING_A = 1;
constexpr int ORV_PERF_READING_B = 3;
constexpr int64_t ORV_PERF_TIMER_STEP_A = 1000;
constexpr int64_t ORV_PERF_TIMER_STEP_B = 250;

#endif
