/*
 * datekey_statements.h - the date-key statements (DATEKEYCALENDAR,
 * DATEKEYDATA, DATEKEYDEF, DATEKEYDSOPT, DATEKEYKEY, DATEKEYLIST,
 * DATEKEYPERIODS) and the date-key data sets they and the EVENTDS option
 * name: the walk that fills a date-key list (kind 2), its handlers, and
 * the reader of DATEKEY rows.
 *
 * The statements share the event statements' slots and flag bits
 * (event/statement_options.h); DATEKEYDSOPT keeps its LOCALE= in the
 * label slot.  Running out of memory ends the step (1016).
 *
 * Exports: ZTSDK_FLAG1_* bits, ZTSDKParse, ZTSDKGetDatekeydata,
 * ZTSDKGetDatekeyPeriods, ZTSDKGetDatekeyDef, ZTSDKGetDatekeyKey,
 * ZTSDKGetDKData, ZTSDKGetDKRecord, ZTSEVGetLocaleFld.
 */
#ifndef ORV_EVENT_DATEKEY_STATEMENTS_H
#define ORV_EVENT_DATEKEY_STATEMENTS_H

#include <cstdint>

#include "event/event_datasets.h"
#include "event/event_records.h"
#include "host/host_records.h"

/* Flag byte 1 of DATEKEYDATA and DATEKEYDSOPT. */
constexpr uint8_t ZTSDK_FLAG1_NAMES_ONLY = 0x08;   /* DATEKEYDATA LIST */
constexpr uint8_t ZTSDK_FLAG1_NO_HOLIDAYS = 0x04;  /* DATEKEYDATA NODEFAULTS */
constexpr uint8_t ZTSDK_FLAG1_LOCALE_ONLY = 0x40;  /* DATEKEYDSOPT ONLY */

/*
 * Fills list (a new date-key list from pool when null) from the date-key
 * statements after the procedure statement: the EVENTDS data sets when the
 * list has no events yet; DATEKEYDSOPT (the last one's locale and flag);
 * DATEKEYDATA (its data sets; then every input data set of the list is
 * bound and its DATEKEY rows read); then in statement order
 * DATEKEYCALENDAR and DATEKEYLIST (dummy outputs), DATEKEYDEF, DATEKEYKEY
 * and DATEKEYPERIODS.  The list's kind becomes 2.  Returns the list.
 */
ZTSEV_LIST *ZTSDKParse(ZTSEV_LIST *list, MEMORY_OBJECT *pool);

/* DATEKEYDATA OUT= (a definition output of the list) and IN= (an input
 * data set).  Returns the status of the last registration. */
int ZTSDKGetDatekeydata(const STATEMENT_NODE *statement, ZTSEV_LIST *list, MEMORY_OBJECT *pool);

/* DATEKEYPERIODS OUT=: a periods output of the list.  Returns 0. */
int ZTSDKGetDatekeyPeriods(const STATEMENT_NODE *statement, ZTSEV_LIST *list, MEMORY_OBJECT *pool);

/* DATEKEYDEF name [= values] [/ options]: a DATEKEY event; without timing
 * values and date keys note (883, 608) and the record is removed.  A
 * LOCALE= of another locale than the list's ignores the statement.
 * Returns 0. */
int ZTSDKGetDatekeyDef(const STATEMENT_NODE *statement, ZTSEV_LIST *list, MEMORY_OBJECT *pool);

/* DATEKEYKEY name [= key] [/ options]: as EVENTKEY against the list
 * itself, the record of class DATEKEY; an unknown key writes note (883,
 * 602); another failure of the keyword registry ends the step with its
 * status.  A LOCALE= of another locale ignores the statement. */
int ZTSDKGetDatekeyKey(const STATEMENT_NODE *statement, ZTSEV_LIST *list, MEMORY_OBJECT *pool);

/* Reads the DATEKEY rows (class DATEKEY or none) of an input record into
 * the list, once per list. */
void ZTSDKGetDKData(ZTSEV_LIST *list, ZTSEV_DSREC *record);

/* The current row of the list's input row buffer as a date key: a new
 * DATEKEY event, or (continuation != 0) a date key or run added to the
 * last event of its name.  Unusable timing values: note (883, 467 to 470)
 * and the row is skipped. */
void ZTSDKGetDKRecord(ZTSEV_LIST *list, ZTSEV_DSREC *record, int continuation);

/*
 * A LOCALE= slot against the list's locale: 0 not given; otherwise the
 * value is copied blank-padded into *out (a length above 32 writes
 * (208, 176) "locale" and is cut) and the result is 1 for ".", 3 when the
 * list has no locale (or "."), or the same one, 2 when it differs.
 */
int ZTSEVGetLocaleFld(const OPTION_SLOT &slot, ORV_COUNTED_NAME *out, const ZTSEV_LIST *list);

#endif
