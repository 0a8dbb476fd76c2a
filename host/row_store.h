/*
 * row_store.h - row stores of doubles in the host's utility files.
 *
 * A ZT_FILE holds rows of nvar doubles, each written and read as one record
 * of nvar * 8 bytes; row r starts at byte r * nvar * 8.  The store keeps no
 * header and no row count: the caller knows nvar and how many rows it wrote.
 * Stores are opened in pairs (ztinit) and live until ztterm or the end of the
 * step.
 *
 * Exports: ZT_FILE; ztinit, ztterm (open and close a pair); ztrset, ztput,
 * ztget (rewind for rewriting, append, read); zttrans, zttransWithin
 * (transpose rows into columns); ztout, ztoutp (write the rows to a data set), ztoutm (the same
 * from rows in memory); ztin, ztinp (fill the store from a data set); the
 * row-filter types and the results.
 *
 * Every host failure is written to the log (xprrlog) before a routine
 * returns; no routine ends the step.  Memory comes from the global memory
 * object; when it runs out, the host's memory message is written.
 */
#ifndef ORV_HOST_ROW_STORE_H
#define ORV_HOST_ROW_STORE_H

#include <cstdint>

#include "host/host_records.h"

/* A handle slot that xcopen fills: one utility file. */
using ZT_FILE = void *;

/* Pass size of the transposition: a pass buffer holds at most
 * max(ZT_PASS_BYTES, R * 8) bytes. */
constexpr int64_t ZT_PASS_BYTES = int64_t{64} << 20;

/* Filter answers: take the row, skip it, or (any value above 1) stop.  A
 * negative answer skips the row as 1 does. */
enum : int {
    ZT_TAKE = 0,
    ZT_SKIP = 1,
    ZT_STOP = 2,
};

/* Row filters of ztout and ztoutp.  row: 0-based index of the row just read
 * into buffer (nvar doubles); status: the read status under
 * ORV_STATUS_EOF_MASK (0, as only rows read in full reach a filter).  The
 * filter may change the buffer before the row is written. */
using ZT_OUT_FILTER = int (*)(int64_t row, int64_t nvar, double *buffer, int status);
using ZT_OUTP_FILTER = int (*)(void *context, int64_t row, int64_t nvar, double *buffer,
                               int status);

/* Row filters of ztin and ztinp.  rowsWritten: rows written to the store so
 * far; buffer: the observation's values as moved by the fetch.  The filter
 * may change the buffer before the row is written. */
using ZT_IN_FILTER = int (*)(int64_t rowsWritten, int64_t nvar, double *buffer);
using ZT_INP_FILTER = int (*)(void *value, int64_t rowsWritten, int64_t nvar, double *buffer);

/* The open record of a utility file for xcopen, filled fresh for each open
 * (the host may write into it). */
UTILITY_OPEN_RECORD ztOpenRecord();

/* Opens two utility files into *first and *second (in that order).
 * 0 ok; 1 a slot pointer is null; 2 an open failed (logged; when the first
 * fails the second is not opened). */
int ztinit(ZT_FILE *first, ZT_FILE *second);

/* Closes both files.  0 ok; 1 a file is null; 2 a close failed (logged;
 * when the first fails the second is not closed). */
int ztterm(ZT_FILE first, ZT_FILE second);

/* Empties the file for rewriting from its start.  0 ok; 1 null file;
 * 2 positioning failed (logged). */
int ztrset(ZT_FILE file);

/* Appends one row of nvar doubles at the current position.  0 ok; 1 nvar
 * not positive or too large for a byte count, or a null argument (nothing
 * is written); 2 the write failed (logged). */
int ztput(ZT_FILE file, int64_t nvar, const double *row);

/* Reads one row into buffer: row number `row` (0-based), or the next row
 * for row == -1.  0 ok; 1 positioning failed (logged); 2 the read failed,
 * end of file included (logged), or bad arguments: row below -1, nvar not
 * positive, row * nvar * 8 beyond the largest byte offset, null file or
 * buffer. */
int ztget(ZT_FILE file, int64_t row, int64_t nvar, double *buffer);

/* Writes to output the transpose of input's R rows of M doubles (M rows of
 * R doubles), leaves output positioned at its start and empties input for
 * rewriting.  A pass gathers w = min(max(ZT_PASS_BYTES, R * 8) / (R * 8), M)
 * output rows and reads of every input row only its w columns, so that the
 * input is read once in all; memory is the pass buffer and w doubles.
 * 0 ok; 2 the input ended before R rows (logged); 3 no memory (the host's
 * memory message is written); 4 a positioning, read or write failed
 * (logged); 5 R or M not positive, R * 8 or M * 8 or R * M * 8 beyond the
 * largest byte count, or a file null. */
int zttrans(ZT_FILE input, ZT_FILE output, int64_t R, int64_t M);

/* zttrans with passes of at most max(passBytes, R * 8) bytes in place of
 * ZT_PASS_BYTES (a passBytes below 8 counts as 8). */
int zttransWithin(ZT_FILE input, ZT_FILE output, int64_t R, int64_t M, int64_t passBytes);

/* Writes every row of file as an observation of the output data set: reads
 * from row 0 until end of file into buffer (nvar doubles), asks the filter
 * (when given), and for a taken row moves the values with the binding (its
 * own move routine, else xyvput; nothing is moved without a binding) and
 * writes the observation with the data set's own write routine.  A write
 * status, or every status of a data set flagged ORV_DS_STATUS_PENDING, goes
 * to xofprc with mode 4.
 * 0 ok (end of file reached or the filter stopped); 1 bad arguments (null
 * data set, file or buffer, nvar not positive or too large), a positioning
 * or read failure (logged), a move failure (logged), or a write failure that
 * xofprc did not clear (the remaining rows are not written). */
int ztout(DATA_SET_HANDLE *output, PUT_BINDING *binding, ZT_FILE file, int64_t nvar,
          double *buffer, ZT_OUT_FILTER filter);

/* ztout with a caller context handed first to the filter. */
int ztoutp(DATA_SET_HANDLE *output, PUT_BINDING *binding, ZT_FILE file, void *context,
           int64_t nvar, double *buffer, ZT_OUTP_FILTER filter);

/* ztoutp over rowCount rows of nvar doubles held in memory at rows (row r
 * at rows + r * nvar) instead of a file: each row is copied into buffer
 * before the filter sees it.  Results as ztout's; 1 also for null rows or
 * a negative rowCount. */
int ztoutm(DATA_SET_HANDLE *output, PUT_BINDING *binding, const double *rows, int64_t rowCount, void *context,
           int64_t nvar, double *buffer, ZT_OUTP_FILTER filter);

/* Empties file and fills it with one row of nvar doubles per observation of
 * the input data set: reads with xybyget when the data set reads by BY
 * group, else with its own read routine (a non-zero status goes to xofprc
 * with mode 1); a null row pointer ends the input; the values are moved into
 * buffer by the fetch (its own move routine, else xyvget; nothing is moved
 * without a fetch), the filter (when given) decides, and taken rows are
 * appended.
 * Result: the number of rows written; -1 for bad arguments (null data set,
 * file or buffer, nvar not positive or too large), when emptying or writing
 * the file failed (logged), when a move failed (logged), or when a read
 * failed and xofprc did not clear it while a row was still present. */
int64_t ztin(DATA_SET_HANDLE *input, FETCH_HANDLE *fetch, ZT_FILE file, int64_t nvar,
             double *buffer, ZT_IN_FILTER filter);

/* ztin with a caller value handed first to the filter. */
int64_t ztinp(DATA_SET_HANDLE *input, FETCH_HANDLE *fetch, ZT_FILE file, void *value,
              int64_t nvar, double *buffer, ZT_INP_FILTER filter);

#endif
