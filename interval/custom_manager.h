/*
 * custom_manager.h - the custom-interval manager: the process-wide record
 * ZINT_CUSTOM kept in the host's named slot "_ZQXECINTC_", which holds the
 * journal, the extension "qxecintc" and its interval registry; the
 * registration of the INTERVALDS entries; and the loading of a custom
 * interval's data set into a ZINT_CUSTREF.
 *
 * An INTERVALDS entry names a custom interval and its data set
 * (name=libref.member).  The data set has the numeric variables BEGIN
 * (required), END and SEASON (optional), one observation per period.
 *
 * Every failure is a negative host status (custom_interval_records.h).
 *
 * Exports: ZINT_CUSTOM, ZINT_CUSTOM_SLOT_NAME, zcintcInit, getcustomname,
 * zintCustomManagerNumber, zcustLoad, zcintcReleaseRef, CleanMGR, loadCustom,
 * ZintCustomData, zintCustomReadDirect, zintWideText, ZINT_CUSTOM_SHOWN_NAME,
 * zintCustomDataSetName.
 */
#ifndef ORV_INTERVAL_CUSTOM_MANAGER_H
#define ORV_INTERVAL_CUSTOM_MANAGER_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "host/custom_interval_records.h"
#include "host/host_records.h"
#include "interval/custom_options.h"
#include "interval/season_record.h"

/* The named slot that holds the manager's host resource. */
constexpr char ZINT_CUSTOM_SLOT_NAME[] = "_ZQXECINTC_";

/* The manager.  Its name is also that of the custom base code (65), which
 * hides it: write it as `struct ZINT_CUSTOM`. */
struct ZINT_CUSTOM {
    ORV_JOURNAL *journal;             /* 0x0 */
    ORV_CUSTOM_EXTENSION *extension;  /* 0x8 */
    ZINT_CUSTOM_REGISTRY *registry;   /* 0x10 */
    ZINT_HOST_OBJECT hostObjects[2];  /* 0x18 */
};
static_assert(offsetof(struct ZINT_CUSTOM, extension) == 0x8);
static_assert(offsetof(struct ZINT_CUSTOM, registry) == 0x10);
static_assert(offsetof(struct ZINT_CUSTOM, hostObjects) == 0x18);
static_assert(sizeof(struct ZINT_CUSTOM) == 0x48);

/*
 * The manager, created on first use: looks the slot up, creates the host
 * resource, the journal, the extension and the registry, and registers the
 * INTERVALDS entries.  An entry whose name or member is longer than 32
 * characters, or whose library reference is longer than 8, is not
 * registered (message 882/1101).
 * Outputs: *manager (null on failure).
 * Returns 0, or a negative host status (everything made is torn down, so
 * the next call starts afresh).
 */
int zcintcInit(struct ZINT_CUSTOM **manager);

/* The number of the current manager, 0 when there is none.  Each manager
 * this module makes gets a new number, and a manager lives for one step
 * (the host deletes its resource when the step ends), so what was worked
 * out from a calendar under one number holds while the number does. */
uint64_t zintCustomManagerNumber();

/*
 * Is name (length bytes, any case) a registered custom interval?
 * Returns 65 when it is, 0 when not, or a negative host status when the
 * manager cannot be created.
 */
int getcustomname(const char *name, int length);

/*
 * The loaded definition of a custom interval (rec->interval, code 65: its
 * name, multiplier and shift), loading its data set on first use in the
 * process.
 * Outputs: *reference, a reference the caller releases with
 * zcintcReleaseRef; null when the registry has no entry for the name.
 * Returns 0, or a negative host status.  The status is not logged: the
 * caller logs it once (xprrlog).
 */
int zcustLoad(ZINT_SEAS *rec, ZINT_CUSTREF **reference);

/* Releases a reference; null is no reference and gives 0.  Returns the
 * release operation's result. */
int zcintcReleaseRef(ZINT_CUSTREF *reference);

/* The clean-up routine of the manager's host resource: releases what
 * exists of the registry, the extension and the journal and frees the
 * record.  table: the host's resource table; id: the resource.  The
 * host calls it through its clean-up routine type, so the parameter types
 * are exactly those. */
void CleanMGR(HOST_RESOURCE_TABLE *table, int32_t resourceId);

/* The row reader of a load (registered with the registry): reads every
 * observation of the data set behind context into definition.  Returns 0,
 * ZINT_STATUS_READ_ERROR after a read error, or ZINT_STATUS_CUSTOM_FAILURE
 * for the first row that breaks a rule of a calendar, reported with its
 * row number (messages 882/1103 and 1105 to 1110): a BEGIN in every row,
 * rising from row to row; with END, an END in every row, not before its
 * BEGIN and before the next row's BEGIN; a SEASON, where given, a whole
 * number from 1 to 2147473647. */
int loadCustom(void *context, const ZINT_CUSTOM_LOAD_HEADER *header, ZINT_CUSTREF *definition);

/* A definition read straight from its data set, when it cannot be loaded
 * through the registry. */
struct ZintCustomData {
    std::vector<double> begin, end, season;
    int64_t count = 0;
    bool hasEnd = false;
    bool hasSeason = false;
};

/* Reads the data set of an INTERVALDS entry by the rules of a load.
 * Returns 0, or a negative status (not logged, except the messages of
 * loadCustom and of a character variable). */
int zintCustomReadDirect(const ZINT_CUSTOM_ENTRY &entry, ZintCustomData &data);

/* Converts text (length bytes) into 32-bit characters; at most capacity
 * characters.  Returns the characters written, or -1 when the text does
 * not fit. */
int zintWideText(const char *text, int length, uint32_t *out, int capacity);

/* Room for "LIBREF.MEMBER" of an entry. */
constexpr int ZINT_CUSTOM_SHOWN_NAME = ZINT_CUSTOM_LIBREF_MAX + 1 + ZINT_CUSTOM_FIELD;

/* Writes the data set of an entry as messages show it, "LIBREF.MEMBER"
 * (the member alone without a library reference), into out (REQUIRES
 * ZINT_CUSTOM_SHOWN_NAME bytes; not terminated).  Returns its length. */
int zintCustomDataSetName(const ZINT_CUSTOM_ENTRY &entry, char *out);

#endif
