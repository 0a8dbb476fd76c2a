/*
 * series_context.h - the time-series context ZTS_PROC, its inner records and
 * its operations vector ZTS_OPS, and the status words of the time-series
 * layer.
 *
 * One ZTS_PROC describes one input series set for a step: the input data
 * set, the ID variable and interval, the START/END window, the accumulation
 * and missing-value settings, the group's time IDs and the stores of its
 * series.  The procedure driver reads and writes many of these fields
 * directly, and the event library reads a copy, so every field keeps the
 * meaning written beside it wherever it is used.  A new context is all
 * zero; every array it holds comes from its pool and dies with the pool.
 *
 * The operations on a context go through the 32 slots of its ZTS_OPS,
 * filled by ZTSIOBind with the single-data-set implementation (series_io.h,
 * series_access.h, series_settings.h).  Every slot takes the context first
 * and returns an int status; a null context gives ZTS_NO_CONTEXT (the
 * check slots 21, 22 and 24 answer 0, "no", and slot 18 answers 0, "no
 * more groups").
 *
 * Exports: the ZTS_* status flags, ZTS_CACHE, ZTS_IOINFO, ZTS_TIMEID,
 * ZTS_SUMMARY, ZTS_VAR, ZTS_TIMER, ZTS_AUXALIGN, ZTS_AUXINFO, ZTS_PROC,
 * ZTS_OPS and its slot numbers, ZTS_OBSDATES, ZTS_UTILFILE, ZTS_DSINFO.
 */
#ifndef ORV_SERIES_SERIES_CONTEXT_H
#define ORV_SERIES_SERIES_CONTEXT_H

#include <cstddef>
#include <cstdint>

#include "host/host_records.h"
#include "host/row_store.h"
#include "interval/interval_desc.h"
#include "interval/season_record.h"
#include "interval/timeid_index.h"

/* Status words of the layer: 0 success, otherwise flags that callers may
 * combine and test. */
enum : int {
    ZTS_MISSING_RECORD = 1,        /* missing context or record */
    ZTS_MISSING_PART = 2,          /* no pool, missing part */
    ZTS_NO_MEMORY = 8,
    ZTS_IO_FAILURE = 16,           /* utility-file or data-set read failure */
    ZTS_VAR_FAILURE = 32,          /* variable access failure */
    ZTS_BAD_ARGUMENT = 64,
    ZTS_NO_CONTEXT = 65,
    ZTS_MISSING_ID = 128,
    ZTS_ACCUMULATE_FAILURE = 256,
    ZTS_TOO_MANY_IDS = 512,
    ZTS_NO_OBSERVATIONS = 1024,
    ZTS_ONE_ID = 2048,
    ZTS_COUNT_TOO_LARGE = 4096,    /* too many time IDs or a count beyond 2^53 */
    ZTS_NOT_ASCENDING = 0x2000,
    ZTS_DUPLICATES = 0x4000,       /* duplicate time IDs without accumulation */
    ZTS_NO_IDS = 0x8000,           /* no time IDs, or no observation estimate */
    ZTS_AUX_MISFIT = 0x10000,
    ZTS_BY_MISSING = 0x20000,
    ZTS_OFF_INTERVAL = 0x40000,    /* time ID not on the interval */
    ZTS_OUT_OF_RANGE = 0x80000,
    ZTS_COUNT_FAILURE = 0x100000,  /* interval count failure */
    ZTS_NO_LEAD = 0x200000,        /* a lead time ID cannot be computed */
    ZTS_NEGATIVE_COUNT = 0x800000, /* the final count cannot be had */
    ZTS_NOT_SORTED = 0x1000000,
    ZTS_BY_LIST_FAILURE = 0x2000000,
};

struct ZTS_PROC;
struct ZTS_OPS;

/* A series cache and its stores.  In the input cache the first file holds
 * the series transposed (one row per series) and the second the rows as
 * read; in the accumulated cache the first holds one row per accumulated
 * series and the second is opened and not used. */
struct ZTS_CACHE {
    int64_t firstIndex;  /* series held in the buffer; -1 = nothing cached */
    int64_t perBlock;    /* series per cache block (1) */
    int64_t seriesCount; /* number of series */
    int64_t length;      /* values per series */
    double *buffer;      /* length * perBlock doubles, allocated on first use */
    ZT_FILE files[2];
    int64_t capacity;    /* doubles the buffer holds (it grows with the groups) */
};

/* Description of the input data set.  The procedures fill it field by
 * field; other callers hand a whole block to ZTSIOBind. */
struct ZTS_IOINFO {
    DATA_SET_HANDLE *byXofid;  /* data set read by BY groups */
    void *row;                 /* current row after an own read */
    uint32_t readFlags;        /* ORV_DS_COUNT: count the observation */
    int32_t readRequest;       /* ORV_DS_READ_NEXT */
    FETCH_HANDLE *fetch;       /* fetch of the ID and analysis variables (xvgeti) */
    char libref[ORV_DS_LIBREF_LENGTH];      /* item 11 */
    ORV_COUNTED_NAME member;                /* item 12: the name used in messages */
    ORV_COUNTED_LABEL label;                /* item 14 */
    ORV_COUNTED_DATA_SET_NAME qualified;    /* item 81: LIB.MEMBER */
    double *values;            /* one observation's analysis values */
};

/* The time ID: as read (rawTime) and final (timeIds). */
struct ZTS_TIMEID {
    double current;            /* time ID of the observation being read */
    ORV_COUNTED_NAME idName;
    ORV_COUNTED_LABEL idLabel;
    ORV_COUNTED_NAME fmtName;  /* name of the ID display format */
    int32_t idVarNo;           /* <= 0: no ID variable */
    int64_t fmtCode;           /* ORV_NO_FORMAT until a format is known */
    int16_t fmtWidth;
    int16_t fmtMinWidth;
    int32_t idGiven;
    int32_t fmtGiven;
    uint8_t isDatetime;        /* the interval counts seconds */
    ZINT_FMTTEXT fmtText;      /* the ID format as text (zfmtstr) */
    ZINT_DESC interval;        /* base code 0 = none, 65 = custom */
    ORV_COUNTED_NAME intervalName;
    char alignment;            /* 'B', 'M', 'E' or 'S' */
    int32_t unsortedOk;        /* 1 = time IDs need not be ascending */
    double previous;           /* time ID of the previous observation */
    double *ids;               /* time-ID array */
    int64_t count;             /* timeIds: time IDs; rawTime: entries allocated */
    int64_t capacity;          /* timeIds: entries allocated */
    int32_t seasonality;       /* seasons of the interval (slot 31) */
};

/* Summary of one series (ztssumm). */
struct ZTS_SUMMARY {
    int64_t count;
    int64_t present;
    int64_t missing;
    int64_t shortestMissingRun;
    int64_t longestMissingRun;
    double minimum;
    double maximum;
    double mean;
    double stdDev;
    double sum;
};
static_assert(sizeof(ZTS_SUMMARY) == 80);

/* One selected (analysis) variable. */
struct ZTS_VAR {
    int32_t varNo;
    ORV_COUNTED_NAME name;
    ORV_COUNTED_LABEL label;
    int64_t firstObs;          /* first non-missing observation (0-based) */
    int64_t lastObs;
    double firstId;            /* their time IDs */
    double lastId;
    int64_t n;                 /* non-missing values */
    int64_t nmiss;             /* missing values */
    ZTS_SUMMARY summary;
    int32_t role;              /* 1 = horizon trimming applies */
    int32_t option1;
    int32_t option2;
    int32_t index;
    ZTS_PROC *owner;           /* the context that reads the variable */
    int32_t position;
    /* The auxiliary reader keeps the settings of the variable's last
     * accumulation for its copy on the primary's axis. */
    int32_t accSetMissing;
    double accSetMissingValue;
    int32_t accZeroMiss;
};

/* Performance-timer state: the read area of the timer extension (readings
 * A and B are its words 1 and 3) and the extension object. */
struct ZTS_TIMER {
    int64_t readArea[4];
    ORV_PERF_TIMER *extension; /* null: timing unavailable */
};

/* Alignment of an auxiliary data set's series to the primary's axis. */
struct ZTS_AUXALIGN {
    int32_t lead;
    int32_t leadingMissing;
    int32_t skip;
    int32_t trail;
    int32_t trailingMissing;
    int32_t extraEnd;
    int32_t totalExtra;
    uint8_t aligned;
};

struct ZTS_AUXINFO {
    DATA_SET_HANDLE **failedHandle; /* handle field of a data set that failed */
    ORV_COUNTED_NAME failedName;    /* its name, or its missing BY variable */
    ZTS_AUXALIGN input;
    ZTS_AUXALIGN accumulated;
};

struct ZTS_PROC {
    ZTS_OPS *ops;              /* null until ZTSIOBind */
    ZTS_CACHE rawCache;
    ZTS_CACHE accCache;
    MEMORY_OBJECT *pool;       /* every block of the context comes from it */
    ZTS_IOINFO ioInfo;
    ZTS_TIMEID rawTime;
    ZTS_TIMEID timeIds;
    int32_t setMissingCode;    /* zinttis code; 100 = setMissingValue; 0 = none */
    double setMissingValue;
    uint8_t setMissingGiven;
    int32_t zeroMissMode;      /* 0 none, 1 leading, 2 trailing, 3 both */
    uint8_t zeroMissGiven;
    int32_t trimMissMode;
    uint8_t trimMissGiven;
    ORV_COUNTED_NAME accumulateName;
    ORV_COUNTED_LABEL accumulateLabel;
    int32_t accumulateCode;    /* ZTS_ACCUM */
    uint8_t accumulateSpecified;
    double start;              /* START; missing = not given */
    uint8_t startGiven;
    double end;
    uint8_t endGiven;
    double horizon;
    uint8_t horizonGiven;
    int32_t byCount;
    int32_t *byVars;           /* a negative number stands for its absolute value */
    int32_t varCount;
    ZTS_VAR *vars;
    int32_t byStatus;          /* last xbynext result */
    int32_t bySync;            /* last BY synchronisation (-1 after a rewind) */
    int32_t bySyncPrev;
    int32_t sortForecastVars;
    ZTS_TIMER timer;
    int64_t ioTiming[4];       /* total A, total B, start A, start B */
    int32_t timingOn;
    int32_t trace;
    int64_t nonMissingObs;     /* observations with a present analysis value */
    double *accBuffer;
    int64_t accBufferSize;     /* bytes */
    int64_t *obsIndex;         /* time slot of every observation (zinttip) */
    int64_t obsCount;          /* observations read into the group */
    int64_t obsIndexCapacity;
    int64_t rawCapacity;       /* raw time-ID entries allocated */
    int32_t hostObsNumbers;    /* 1 = observation numbers come from the host */
    int64_t obsNumber;
    int64_t missingState;      /* analysis values set missing for their size */
    int64_t duplicates;
    int64_t gaps;
    uint8_t minMaxChanged;
    int64_t firstObsNumber;
    int64_t lastObsNumber;
    double minId;
    double maxId;
    double firstAligned;
    double lastAligned;
    int64_t startOffset;       /* intervals from the aligned START to firstAligned */
    int64_t endOffset;         /* intervals from lastAligned to the aligned END (or horizon - 1) */
    ZTS_AUXINFO auxInfo;
    /* The accumulated store's row of every variable in the current group
     * (-1 = not accumulated), and the rows written. */
    int64_t *accRowOf;
    int64_t accRowCapacity;
    int64_t accRowsWritten;
    /* Time IDs each in the interval after the one before (those stepped
     * for an earlier group), or null: checkid takes a time ID that follows
     * its predecessor in this table as one interval on, without counting.
     * steppedAt is the entry of the previous time ID, -1 when unknown. */
    const double *steppedIds;
    int64_t steppedCount;
    int64_t steppedAt;
};

/* Slot numbers of ZTS_OPS. */
enum : int {
    ZTS_SLOT_AUX = 0,
    ZTS_SLOT_IN_SETUP = 1,
    ZTS_SLOT_IO_COM_INIT = 2,
    ZTS_SLOT_SET_DATA_INFO = 3,
    ZTS_SLOT_SET_ID_INFO = 4,
    ZTS_SLOT_SET_MISSING = 5,
    ZTS_SLOT_SET_START = 6,
    ZTS_SLOT_SET_END = 7,
    ZTS_SLOT_SET_HORIZON = 8,
    ZTS_SLOT_SET_INTERVAL_INFO = 9,
    ZTS_SLOT_SET_INTERVAL_ALIGNMENT = 10,
    ZTS_SLOT_SET_ACCUMULATE = 11,
    ZTS_SLOT_TIME_ID_ADD_LEAD = 12,
    ZTS_SLOT_GET_VAR = 13,
    ZTS_SLOT_GET_VAR_PTR = 14,
    ZTS_SLOT_ACCUMULATE = 15,
    ZTS_SLOT_GET_ACC_VAR = 16,
    ZTS_SLOT_GET_ACC_VAR_PTR = 17,
    ZTS_SLOT_IO_BY_NEXT = 18,
    ZTS_SLOT_IO_READ_NEXT = 19,
    ZTS_SLOT_IO_RESET = 20,
    ZTS_SLOT_CHECK_ID_VAR = 21,
    ZTS_SLOT_CHECK_SEL_VAR = 22,
    ZTS_SLOT_SET_VAR_INFO = 23,
    ZTS_SLOT_CHECK_BY_VAR = 24,
    ZTS_SLOT_FINISH_VARS = 25,
    ZTS_SLOT_SET_ID_FORMAT = 26,
    ZTS_SLOT_SET_ZERO_MISS = 27,
    ZTS_SLOT_SET_TRIM_MISS = 28,
    ZTS_SLOT_IMPORT_BY_LIST = 29,
    ZTS_SLOT_IO_BY_SYNC = 30,
    ZTS_SLOT_SET_SEASONALITY = 31,
    ZTS_SLOT_COUNT = 32,
};

/* The operations vector: 32 pointer slots, in slot order. */
struct ZTS_OPS {
    void *aux;
    int (*inSetup)(ZTS_PROC *ctx);
    int (*ioComInit)(ZTS_PROC *ctx);
    int (*setDataInfo)(ZTS_PROC *ctx, int32_t byCount, int32_t *byVars, int32_t varCount, ZTS_VAR *vars);
    int (*setIdInfo)(ZTS_PROC *ctx, DATA_SET_HANDLE **handle, int32_t varNo);
    int (*setMissing)(ZTS_PROC *ctx, int32_t code, double value);
    int (*setStart)(ZTS_PROC *ctx, int given, double value);
    int (*setEnd)(ZTS_PROC *ctx, int given, double value);
    int (*setHorizon)(ZTS_PROC *ctx, int given, double value);
    int (*setIntervalInfo)(ZTS_PROC *ctx, const ZINT_DESC *interval);
    int (*setIntervalAlignment)(ZTS_PROC *ctx, char alignment);
    int (*setAccumulate)(ZTS_PROC *ctx, int code);
    int (*timeIdAddLead)(ZTS_PROC *ctx, int64_t lead);
    int (*getVar)(ZTS_PROC *ctx, int64_t index, double *out);
    int (*getVarPtr)(ZTS_PROC *ctx, int64_t index, double **series);
    int (*accumulate)(ZTS_PROC *ctx, int method, int setMissing, int zeroMiss, int64_t index, double value);
    int (*getAccVar)(ZTS_PROC *ctx, int64_t index, double *out);
    int (*getAccVarPtr)(ZTS_PROC *ctx, int64_t index, double **series);
    int (*ioByNext)(ZTS_PROC *ctx);
    int (*ioReadNext)(ZTS_PROC *ctx);
    int (*ioReset)(ZTS_PROC *ctx);
    int (*checkIdVar)(ZTS_PROC *ctx, DATA_SET_HANDLE *handle, int32_t varNo);
    int (*checkSelVar)(ZTS_PROC *ctx, int32_t count, DATA_SET_HANDLE *handle, int32_t varNo, int32_t role);
    int (*setVarInfo)(ZTS_PROC *ctx, int32_t index, int32_t role, DATA_SET_HANDLE *handle, int32_t varNo,
                      int32_t option1, int32_t option2);
    int (*checkByVar)(ZTS_PROC *ctx, DATA_SET_HANDLE *handle, int32_t varNo);
    int (*finishVars)(ZTS_PROC *ctx, int32_t n);
    int (*setIdFormat)(ZTS_PROC *ctx, const FORMAT_RECORD *fmt);
    int (*setZeroMiss)(ZTS_PROC *ctx, int32_t mode, int given);
    int (*setTrimMiss)(ZTS_PROC *ctx, int32_t mode, int given);
    int (*importByList)(ZTS_PROC *ctx, ZTS_PROC *other, int allowMissing);
    int (*ioBySync)(ZTS_PROC *ctx, ZTS_PROC *other);
    int (*setSeasonality)(ZTS_PROC *ctx, int32_t seasons);
};
static_assert(sizeof(ZTS_OPS) == ZTS_SLOT_COUNT * sizeof(void *));
static_assert(offsetof(ZTS_OPS, inSetup) == ZTS_SLOT_IN_SETUP * sizeof(void *));
static_assert(offsetof(ZTS_OPS, getVarPtr) == ZTS_SLOT_GET_VAR_PTR * sizeof(void *));
static_assert(offsetof(ZTS_OPS, getAccVar) == ZTS_SLOT_GET_ACC_VAR * sizeof(void *));
static_assert(offsetof(ZTS_OPS, ioReadNext) == ZTS_SLOT_IO_READ_NEXT * sizeof(void *));
static_assert(offsetof(ZTS_OPS, setSeasonality) == ZTS_SLOT_SET_SEASONALITY * sizeof(void *));

/* Observation dates of a series (ZTSGetObsDates, ZTSInitObsDates). */
struct ZTS_OBSDATES {
    double first;              /* first date */
    ZINT_SEAS interval;        /* the series interval */
    double *dates;
    int64_t count;
    MEMORY_OBJECT *pool;       /* pool of the date array */
};

/* A pair of utility files (ZTSUtilFileInit). */
struct ZTS_UTILFILE {
    int64_t value;             /* set by ZTSUtilFileInit */
    int64_t rows;              /* row counter, 0 after ZTSUtilFileReset */
    void *second;
    void *first;
};

/* What identifies an open data set in messages: its handle and the four
 * host items, each in a field of its own size (ZTSSetDataSetInfo). */
struct ZTS_DSINFO {
    DATA_SET_HANDLE *handle;
    char libref[ORV_DS_LIBREF_LENGTH];      /* item 11 */
    ORV_COUNTED_NAME member;                /* item 12 */
    ORV_COUNTED_LABEL label;                /* item 14 */
    ORV_COUNTED_DATA_SET_NAME qualified;    /* item 81 */
};

#endif
