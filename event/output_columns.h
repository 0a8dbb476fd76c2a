/*
 * output_columns.h - defining the columns of the dummy and date-key
 * periods data sets through the host's output binding: the BY variables
 * copied from DATA=, the time-ID column, and named numeric and text
 * columns bound to buffers of the event list.
 *
 * Every function returns 0 or the host's status.
 *
 * Exports: ztsevDefineByColumns, ztsevDefineTimeIdColumn,
 * ztsevDefineNumber, ztsevDefineText, ztsevPutRow.
 */
#ifndef ORV_EVENT_OUTPUT_COLUMNS_H
#define ORV_EVENT_OUTPUT_COLUMNS_H

#include "host/host_records.h"
#include "series/series_context.h"

/* The BY variables of proc's input data set (none without any). */
int ztsevDefineByColumns(void *binding, const ZTS_PROC *proc);

/* The time-ID column bound to slot: named and labelled as the ID variable
 * (a blank label stays blank), or "_TIMEID_" with the text of (883, 440)
 * without one; with the ID's display format name and width. */
int ztsevDefineTimeIdColumn(void *binding, const ZTS_TIMEID *idInfo, double *slot);

/* A numeric column `name` (nameLength characters, at most 32) with label
 * (labelLength characters, at most 256) and an optional format (null: none;
 * formatWidth 0: the format's default), bound to slot. */
int ztsevDefineNumber(void *binding, const char *name, int nameLength, const char *label, int labelLength,
                      double *slot, const char *format = nullptr, int formatWidth = 0);

/* A character column of `size` bytes bound to text, labelled with the
 * text of (883, labelMessage). */
int ztsevDefineText(void *binding, const char *name, int labelMessage, char *text, int size);

/* Moves the bound buffers into the data set's row (xyvput) and writes it;
 * a failing status goes to the host's status handling (xofprc), whose
 * result is returned (0 written). */
int ztsevPutRow(DATA_SET_HANDLE *handle, void *binding);

#endif
