/*
 * event_records.h - the records of the event library: the event list
 * ZTSEV_LIST, the event record ZTSEV_EVENT with its given and effective
 * qualifier blocks, the qualifier record ZTSEV_QUAL, the member-name node
 * ZTSEVEventNamelist, the event definition row buffer ZTSEV_ROWBUF, the
 * series block ZTSEV_SERIES of one BY group, and the code tables (classes,
 * shape types, rules, slopes, timing kinds) and statuses.
 *
 * Records are plain structs allocated zero-filled from the list's host
 * pools; a zero-filled record is a valid empty one.  Text fields are a
 * signed 16-bit length followed by blank-padded text (ORV_COUNTED_NAME for
 * 32 characters, ORV_COUNTED_LABEL for 256).  The records carry no fixed
 * byte layout towards the host except the row buffer, whose fields the
 * host's variable services read and write by address.
 *
 * ZTSEV_DSREC (an input or output data-set record of a statement) is
 * declared here and defined with the data-set statements.
 */
#ifndef ORV_EVENT_EVENT_RECORDS_H
#define ORV_EVENT_EVENT_RECORDS_H

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "host/host_records.h"
#include "interval/interval_desc.h"
#include "interval/season_record.h"
#include "series/series_context.h"

/* Longest event, member and date-key name; longest label. */
constexpr int ZTSEV_NAME_SIZE = 32;
constexpr int ZTSEV_LABEL_SIZE = 256;

/* Pools a list can create for itself (entry 0 is its base pool). */
constexpr int ZTSEV_POOL_SLOTS = 20;
/* Repeated notes a list writes before it summarises (883, 3). */
constexpr int64_t ZTSEV_DEFAULT_NOTE_LIMIT = 25;

/* Pool creation and block flags of the event library. */
constexpr int64_t ZTSEV_POOL_INITIAL = 0;
constexpr int64_t ZTSEV_POOL_BLOCK = 1024;
constexpr int ZTSEV_POOL_FLAGS = 6;
constexpr int ZTSEV_ALLOC_ZEROED = 0x2006;
constexpr int ZTSEV_ALLOC_PLAIN = 0x2002;

/* List kinds. */
enum : int32_t {
    ZTSEV_LIST_EVENTS = 0,   /* ordinary event list */
    ZTSEV_LIST_DATEKEYS = 2, /* date-key list: resolves date keys against itself */
};

/* Event classes (the _CLASS_ keywords of the event definition data set). */
enum : int32_t {
    ZTSEV_CLASS_UNSET = 0,      /* EVENTKEY record before a known event is copied into it */
    ZTSEV_CLASS_SIMPLE = 1,     /* timing values and/or date keys */
    ZTSEV_CLASS_COMB = 3,       /* members combined by the rule */
    ZTSEV_CLASS_PREDEF = 4,     /* predefined event named by its key */
    ZTSEV_CLASS_COMPLEX = 5,    /* group of events; no dummy column */
    ZTSEV_CLASS_PREDEFCOMP = 6, /* predefined group, expanded at finishing; no dummy column */
    ZTSEV_CLASS_DATEKEY = 7,    /* date key from a date-key data set */
};

/* True when records of class cls have a dummy column (and are counted in
 * the list's dummy-column count). */
constexpr bool ztsevHasDummyColumn(int32_t cls)
{
    return cls != ZTSEV_CLASS_COMPLEX && cls != ZTSEV_CLASS_PREDEFCOMP;
}

/* Shape types of an occurrence. */
enum : int32_t {
    ZTSEV_TYPE_POINT = 1,
    ZTSEV_TYPE_LS = 2,
    ZTSEV_TYPE_RAMP = 3,
    ZTSEV_TYPE_TR = 4, /* also accepted as TEMPRAMP */
    ZTSEV_TYPE_TC = 5,
    ZTSEV_TYPE_LINEAR = 6,
    ZTSEV_TYPE_QUAD = 7,
    ZTSEV_TYPE_CUBIC = 8,
    ZTSEV_TYPE_INVERSE = 9,
    ZTSEV_TYPE_LOG = 10,
};

/* Rules that merge overlapping or combined values. */
enum : int32_t {
    ZTSEV_RULE_ADD = 1,
    ZTSEV_RULE_MAX = 2,
    ZTSEV_RULE_MIN = 3,
    ZTSEV_RULE_MINNZ = 4,
    ZTSEV_RULE_MINMAG = 5,
    ZTSEV_RULE_MULT = 6,
    ZTSEV_RULE_AND = 7,
    ZTSEV_RULE_OR = 8,
};
constexpr int ZTSEV_RULE_COUNT = 8;

/* Slopes. */
enum : int32_t {
    ZTSEV_SLOPE_DECAY = 1,
    ZTSEV_SLOPE_GROWTH = 2,
};

/* Timing kinds: a timing value's kind code is kind x 256 + sub-kind. */
enum : int32_t {
    ZTSEV_KIND_OBS = 4,
    ZTSEV_KIND_DATE = 8,
    ZTSEV_KIND_STATEMENT_DATE = 9, /* accepted from statements, handled as a date */
    ZTSEV_KIND_DATETIME = 10,
};
constexpr int ZTSEV_KIND_SCALE = 256;

/* Date-key code of an event of the date-key list used as a key. */
constexpr int64_t ZTSEV_USER_DATEKEY = 19;

/* Statuses of the event library (0 is success). */
enum : int {
    ZTSEV_OK = 0,
    ZTSEV_NO_OWNING_POOL = 1,   /* record has no owning pool; not freed */
    ZTSEV_NO_LIST = 2,
    ZTSEV_NOT_FOUND = 3,
    ZTSEV_ALREADY_LISTED = 4,   /* name already in the name list */
    ZTSEV_EMPTY_NAMES = 5,
    ZTSEV_NO_ITEM = 6,
    ZTSEV_SELF_MEMBER = 9,      /* a member equal to its combination or group */
    ZTSEV_NO_SERIES = 12,       /* no series block, or no seasonality */
    ZTSEV_UNKNOWN_DATEKEY = 13,
    ZTSEV_UNKNOWN_RULE = 14,
    ZTSEV_NO_SEASONS = 23,      /* series interval without seasons (or fewer than 2) */
    ZTSEV_NOT_GROUP = 32,       /* word is no group word */
    ZTSEV_GROUP_LATER = 34,     /* predefined group left for list finishing */
    ZTSEV_GROUP_MEMBER_FAILED = 35,
};

/* Modes of ZTSEVDelItem. */
enum : int {
    ZTSEV_DEL_FREE = 7, /* unlink and free */
    ZTSEV_DEL_KEEP = 8, /* unlink only, for re-insertion */
};

/* The eleven qualifier values of a data-set row or a caller; a value is
 * given when it is not missing (any NaN). */
struct ZTSEV_QUAL {
    double type;
    double value;
    double pulse;          /* base interval code */
    double durationBefore;
    double durationAfter;
    double tcParm;
    double rule;
    double slopeBefore;
    double slopeAfter;
    double shift;
    double period;         /* base interval code */
};
static_assert(offsetof(ZTSEV_QUAL, type) == 0);
static_assert(offsetof(ZTSEV_QUAL, value) == 8);
static_assert(offsetof(ZTSEV_QUAL, pulse) == 16);
static_assert(offsetof(ZTSEV_QUAL, durationBefore) == 24);
static_assert(offsetof(ZTSEV_QUAL, durationAfter) == 32);
static_assert(offsetof(ZTSEV_QUAL, tcParm) == 40);
static_assert(offsetof(ZTSEV_QUAL, rule) == 48);
static_assert(offsetof(ZTSEV_QUAL, slopeBefore) == 56);
static_assert(offsetof(ZTSEV_QUAL, slopeAfter) == 64);
static_assert(offsetof(ZTSEV_QUAL, shift) == 72);
static_assert(offsetof(ZTSEV_QUAL, period) == 80);
static_assert(sizeof(ZTSEV_QUAL) == 88);

/* Qualifiers given by a statement or a data-set row; each flag is 1 when
 * its value was given. */
struct ZTSEV_GIVEN {
    int32_t typeGiven;
    int32_t type;
    int32_t valueGiven;
    double value;
    int32_t pulseGiven;
    ZINT_DESC pulse;
    int32_t anyDurationGiven;
    int32_t beforeGiven;
    int64_t before;        /* intervals before; -1 resolves to ALL */
    int32_t afterGiven;
    int64_t after;
    int32_t shiftGiven;
    int64_t shift;
    int32_t tcParmGiven;
    double tcParm;
    int32_t anySlopeGiven;
    int32_t slopeBeforeGiven;
    int64_t slopeBefore;
    int32_t slopeAfterGiven;
    int64_t slopeAfter;
    int32_t ruleGiven;
    int32_t rule;
    int32_t localeGiven;
    ORV_COUNTED_NAME locale;
    int32_t labelGiven;
    int32_t labelLength;
    const char *label;     /* not owned: statement text or the record's own field */
    int32_t periodGiven;
    ZINT_DESC period;
};

/* Qualifiers in effect once the list is finished.  Durations are stored as
 * n + 1 for n intervals; 0 means ALL (unbounded).  The intervals stay
 * zero-filled (no interval) when none was given. */
struct ZTSEV_EFFECTIVE {
    int32_t type;
    double value;
    ZINT_DESC pulse;
    int64_t before;
    int64_t after;
    int64_t shift;
    double tcParm;
    int32_t rule;
    int32_t slopeBefore;
    int32_t slopeAfter;
    ZINT_DESC period;
};

/* One member or statement name of a name list; the qualified lists also
 * carry a statement's flags and values, which the event library copies
 * along but does not read. */
struct ZTSEV_MEMBERINDEX;

struct ZTSEVEventNamelist {
    ORV_COUNTED_NAME name;       /* as given */
    int32_t required;
    int32_t secondFlag;
    double firstValue;           /* missing when none */
    double secondValue;
    int32_t code;
    ZTSEVEventNamelist *next;
    MEMORY_OBJECT *pool;         /* the node's own pool */
    ZTSEV_MEMBERINDEX *index;    /* first node: the list's names (member_name_index.h) */
};

struct ZTSEV_EVENT {
    int64_t nameCapacity;        /* 32; 0 in records of EVENTDEF and EVENTCOMB */
    int64_t nameLength;          /* same as name.length */
    const char *namePointer;     /* the record's name text (or the statement's) */
    ORV_COUNTED_NAME name;       /* case kept; at most 32 */
    ORV_COUNTED_NAME locale;
    int32_t labelSet;            /* 1 once the label is resolved */
    int32_t labelLength;
    const char *label;           /* LABEL= text or defaultLabel */
    char defaultLabel[ZTSEV_LABEL_SIZE];
    int32_t cls;                 /* ZTSEV_CLASS_* */
    int64_t timingCount;
    int64_t runCount;
    double *timingValues;        /* dates, datetimes or observation numbers */
    double *timingKinds;         /* kind x 256 + sub-kind, one per value */
    int64_t *runLengths;         /* values per run */
    MEMORY_OBJECT *timingPool;   /* pool of the three timing arrays */
    int64_t timingCapacity;      /* values the value and kind arrays have room for */
    int64_t runCapacity;         /* runs the run-length array has room for */
    int64_t datekeyCount;
    int64_t *datekeyCodes;
    ORV_COUNTED_NAME *datekeyNames; /* upper-case */
    MEMORY_OBJECT *datekeyPool;  /* pool of the two date-key arrays */
    int64_t datekeyCapacity;     /* date keys the two arrays have room for */
    ZTSEVEventNamelist *members; /* COMB/COMPLEX members, PREDEF key, PREDEFCOMP word */
    ZTSEV_GIVEN given;
    ZTSEV_EFFECTIVE effective;
    ZTSEV_EVENT *prev;
    ZTSEV_EVENT *next;
    ZTSEV_EVENT *sameNamePrev;   /* records of the same name in list order (name_index.h) */
    ZTSEV_EVENT *sameNameNext;
    MEMORY_OBJECT *pool;         /* owning pool of the record */
};

/* One observation of the event definition data set; the host's variable
 * services read and write each field by address. */
struct ZTSEV_ROWBUF {
    ORV_COUNTED_NAME name;          /* _NAME_ */
    ORV_COUNTED_NAME locale;        /* _LOCALE_ */
    ORV_COUNTED_LABEL label;        /* _LABEL_ */
    ORV_COUNTED_NAME cls;           /* _CLASS_ */
    ORV_COUNTED_NAME keyName;       /* _KEYNAME_ */
    double startDate;               /* _STARTDATE_ */
    double endDate;                 /* _ENDDATE_ */
    ORV_COUNTED_NAME dateInterval;  /* _DATEINTRVL_ */
    double startDatetime;           /* _STARTDT_ */
    double endDatetime;             /* _ENDDT_ */
    ORV_COUNTED_NAME dtInterval;    /* _DTINTRVL_ */
    double startObs;                /* _STARTOBS_ */
    double endObs;                  /* _ENDOBS_ */
    double obsInterval;             /* _OBSINTRVL_ */
    ORV_COUNTED_NAME type;          /* _TYPE_ */
    double value;                   /* _VALUE_ */
    ORV_COUNTED_NAME pulse;         /* _PULSE_ */
    double shift;                   /* _SHIFT_ */
    double durationBefore;          /* _DUR_BEFORE_ */
    double durationAfter;           /* _DUR_AFTER_ */
    ORV_COUNTED_NAME slopeBefore;   /* _SLOPE_BEF_ */
    ORV_COUNTED_NAME slopeAfter;    /* _SLOPE_AFT_ */
    double tcParm;                  /* _TCPARM_ */
    ORV_COUNTED_NAME rule;          /* _RULE_ */
    ORV_COUNTED_NAME period;        /* _PERIOD_ */
};

/* An input or output data-set record of an event statement or of the
 * EVENTDS option; defined with the data-set statements. */
struct ZTSEV_DSREC;

/* An entry of a list's name index (name_index.cpp). */
struct ZTSEV_NAMESLOT;

struct ZTSEV_LIST {
    int32_t kind;                  /* ZTSEV_LIST_EVENTS or ZTSEV_LIST_DATEKEYS */
    int32_t localeGiven;
    ORV_COUNTED_LABEL locale;      /* 256 characters */
    int32_t localeFlag;
    ZTSEV_EVENT *first;
    ZTSEV_EVENT *last;
    ZTSEV_NAMESLOT *nameSlots;     /* the records by name (name_index.h); null while empty */
    int64_t nameSlotCount;
    int64_t nameCount;             /* distinct names in the index */
    int32_t eventCount;
    int32_t dummyCount;            /* records whose class has a dummy column */
    ZTSEV_LIST *datekeyList;       /* null in a date-key list */
    MEMORY_OBJECT *basePool;
    MEMORY_OBJECT *currentPool;    /* the pool findpool hands out */
    MEMORY_OBJECT *pools[ZTSEV_POOL_SLOTS];
    int64_t poolCount;
    int32_t eventdataSeen;
    int32_t inGiven;
    ZTSEV_DSREC *inputs;           /* EVENTDATA IN=, DATEKEYDATA IN=, EVENTDS */
    int32_t outGiven;
    ZTSEV_DSREC *outputs;          /* EVENTDATA OUT= */
    int32_t dummySeen;
    int32_t dummyIn;
    ZTSEV_DSREC *secondaryInputs;
    int32_t dummyOutGiven;
    ZTSEV_DSREC *dummyOutputs;     /* EVENTDUMMY OUT= */
    int32_t periodsSeen;
    int32_t periodsOutGiven;
    ZTSEV_DSREC *periodsOutputs;
    ZTSEV_ROWBUF outRow;           /* rows written */
    double outTimeId;              /* time-ID slot of the dummy and periods rows */
    void *dummyBuffers[3];         /* work areas of the dummy writer */
    ZTSEV_ROWBUF inRow;            /* rows read */
    int64_t noteLimit;
    int64_t notesIssued;
    /* The current BY group's values as text ("store=A, year=2020") for
     * the notes of its dummy series; length 0 without BY variables. */
    const char *byText;
    int32_t byTextLength;
};

/* The series block of one BY group, built by the driver and handed by
 * address to the dummy builders, the group expansion and the regression
 * matrix.  `context` is a copy of the step's ZTS_PROC whose fields from
 * auxInfo on are not copied (left zero). */
struct ZTSEV_SERIES {
    double firstTimeId;      /* missing before the first group */
    ZINT_SEAS interval;      /* series interval, no custom reference, season count */
    double formatCode;       /* time-ID format code */
    double *timeIds;
    int64_t count;           /* number of time IDs */
    ZTS_PROC context;
};
/* Handed by value and filled by copying the context's leading fields. */
static_assert(std::is_trivially_copyable_v<ZTSEV_SERIES>);

#endif
