/*
 * occurrence_writer.h - lays the occurrences (timing values) of one event
 * into its dummy series, one after another, as ZTSEVDate2Shape writes
 * them.
 *
 * A POINT or LS occurrence merges the event's one value v into every
 * observation it covers, so under a known rule the value an observation
 * ends with depends only on its value before and on how many occurrences
 * cover it.  Those occurrences are therefore only counted as they come (a
 * difference array of the counts) and merged in one pass by finish(): the
 * cost is occurrences + observations instead of their product, and the
 * values are bit for bit those of the occurrences written one by one.
 * Short pulses, and the other shapes, are written at once.
 *
 * Exports: ZTSEVOccurrenceWriter.
 */
#ifndef ORV_EVENT_OCCURRENCE_WRITER_H
#define ORV_EVENT_OCCURRENCE_WRITER_H

#include <cstdint>

#include "event/event_records.h"

class ZTSEVOccurrenceWriter {
public:
    /* Occurrences of event into values (series->count doubles); work
     * arrays come from scratch. */
    ZTSEVOccurrenceWriter(const ZTSEV_EVENT *event, const ZTSEV_SERIES *series, double *values,
                          MEMORY_OBJECT *scratch);

    /* One occurrence, with the key event K or null (as ZTSEVDate2Shape).
     * Returns the status ZTSEVDate2Shape gives for it: 15 when it cannot
     * be placed.  A counted pulse is in values only after finish(). */
    int add(double value, int kind, const ZTSEV_EVENT *key);

    /* Merges the counted pulses into values; the writer can go on. */
    void finish();

private:
    const ZTSEV_EVENT *event_;
    const ZTSEV_SERIES *series_;
    double *values_;
    MEMORY_OBJECT *scratch_;
    bool counting_;               /* pulses under a known rule */
    int64_t *changes_ = nullptr;  /* n + 1 changes of the cover count */
    bool pending_ = false;        /* changes_ holds counted pulses */
};

#endif
