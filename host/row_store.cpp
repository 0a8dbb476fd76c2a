/*
 * row_store.cpp - row stores of doubles in the host's utility files: open
 * and close, append and read rows, transposition, and the moves between a
 * store and a data set.
 *
 * Exports: ztinit, ztterm, ztrset, ztput, ztget, zttrans, ztout, ztoutp,
 * ztoutm, ztin, ztinp (declared in row_store.h).
 */
#include "host/row_store.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "host/numeric_utils.h"
#include "host/services.h"

namespace {

/* Transposition buffers: from the global memory object, not zero-filled
 * (every byte is read into or scattered over before it is used). */
constexpr int kBufferFlags = 0x2004;

/* Mode of xcclose that the stores use. */
constexpr int kCloseMode = 1;

/* xofprc modes: a status of the data set's own read, of its own write. */
constexpr int kReadStatusMode = 1;
constexpr int kWriteStatusMode = 4;

constexpr int64_t kLargestByteCount = std::numeric_limits<int64_t>::max();

bool isEndOfFile(int status)
{
    return (uint32_t(status) & ORV_STATUS_EOF_MASK) == ORV_STATUS_EOF_BITS;
}

/* The byte length of `count` doubles in *bytes; false when count is not
 * positive or its byte length does not fit a 64-bit byte count. */
bool byteLength(int64_t count, int64_t *bytes)
{
    if (count <= 0 || count > kLargestByteCount / 8) return false;
    *bytes = count * 8;
    return true;
}

/* Logs a failing host status and hands it back. */
int logged(int status)
{
    if (status != 0) xprrlog(nullptr, status);
    return status;
}

/* Positions to 0 and cuts the file there, so that it is rewritten from its
 * start.  0 or the (logged) host status. */
int resetFile(ZT_FILE file)
{
    int status = logged(xcpoint(file, 0));
    if (status == 0) status = logged(xcpoint(file, ORV_UTILITY_TRUNCATE));
    return status;
}


double *allocateDoubles(int64_t bytes)
{
    MEMORY_OBJECT *memory = v_global_gcb_anchor->globalMemory;
    return static_cast<double *>(memory->allocate(memory, size_t(bytes), kBufferFlags));
}

void releaseDoubles(double *block)
{
    if (block == nullptr) return;
    MEMORY_OBJECT *memory = v_global_gcb_anchor->globalMemory;
    memory->release(memory, block, 0, ORV_MEM_FREE_MODE);
}

void **handleRef(DATA_SET_HANDLE **handle) { return reinterpret_cast<void **>(handle); }

/* Moves a taken row with the binding and writes the observation.  0, or 1
 * when the move failed (logged) or the write failed and xofprc did not
 * clear it: the remaining rows must not be written. */
int writeObservation(DATA_SET_HANDLE *output, PUT_BINDING *binding)
{
    DATA_SET_HANDLE *handle = output;
    if (binding != nullptr) {
        int moved = binding->move != nullptr ? binding->move(binding, handle->row) : xyvput(binding, 0, handle->row);
        /* An observation whose values did not arrive is not written. */
        if (logged(moved) != 0) return 1;
    }
    int status = handle->write(handle);
    if (status != 0 || (handle->flags & ORV_DS_STATUS_PENDING) != 0) {
        /* xofprc reports the status itself; one it does not clear means
         * the observation was lost, and writing on would leave a data set
         * with a gap that looks complete. */
        status = xofprc(handleRef(&handle), status, kWriteStatusMode);
        if (status != 0 || handle == nullptr) return 1;
    }
    return 0;
}

/* The loop of ztout, ztoutp and ztoutm: next(row) puts row `row` into the
 * buffer and answers 0 (a row is there), 1 (no more rows) or 2 (a failure,
 * logged); filter(row, nvar, buffer, status) answers as a row filter does.
 * Results as ztout's. */
template <class Next, class Filter>
int writeRows(DATA_SET_HANDLE *output, PUT_BINDING *binding, double *buffer, Next next, Filter filter)
{
    if (output == nullptr || output->write == nullptr || buffer == nullptr) return 1;
    for (int64_t row = 0;; ++row) {
        const int got = next(row);
        if (got == 1) return 0;
        if (got != 0) return 1;
        const int answer = filter(row, buffer);
        if (answer > ZT_SKIP) return 0;
        if (answer != ZT_TAKE) continue;
        if (writeObservation(output, binding) != 0) return 1;
    }
}

/* writeRows over the rows of a file read from its start; status 0 reaches
 * the filter, as only rows read in full do. */
template <class Filter>
int writeFileRows(DATA_SET_HANDLE *output, PUT_BINDING *binding, ZT_FILE file, int64_t nvar, double *buffer,
                  Filter filter)
{
    int64_t rowBytes = 0;
    if (output == nullptr || output->write == nullptr || file == nullptr || buffer == nullptr ||
        !byteLength(nvar, &rowBytes))
        return 1;
    if (logged(xcpoint(file, 0)) != 0) return 1;
    return writeRows(
        output, binding, buffer,
        [&](int64_t) {
            const int status = xcread(file, buffer, rowBytes);
            if (isEndOfFile(status)) return 1;
            return logged(status) != 0 ? 2 : 0;
        },
        [&](int64_t row, double *values) { return filter(row, nvar, values, 0); });
}

/* The loop of ztin and ztinp; filter(rowsWritten, nvar, buffer) answers as a
 * row filter does. */
template <class Filter>
int64_t fillRows(DATA_SET_HANDLE *input, FETCH_HANDLE *fetch, ZT_FILE file, int64_t nvar,
                 double *buffer, Filter filter)
{
    int64_t rowBytes = 0;
    if (input == nullptr || file == nullptr || buffer == nullptr || !byteLength(nvar, &rowBytes))
        return -1;
    if ((input->flags & ORV_DS_READS_BY_GROUP) == 0 && input->read == nullptr) return -1;
    if (resetFile(file) != 0) return -1;

    DATA_SET_HANDLE *handle = input;
    int64_t written = 0;
    for (;;) {
        int status = 0;
        if ((handle->flags & ORV_DS_READS_BY_GROUP) != 0) {
            xybyget(handleRef(&handle));
        } else {
            handle->readMode = ORV_DS_READ_NEXT;
            handle->readFlags |= ORV_DS_COUNT;
            status = handle->read(handle);
            if (status != 0) status = xofprc(handleRef(&handle), status, kReadStatusMode);
        }
        if (handle == nullptr || handle->row == nullptr) break;
        /* A failed read that left a row behind would hand the previous
         * observation on a second time. */
        if (status != 0) return -1;

        if (fetch != nullptr) {
            int moved = fetch->move != nullptr ? fetch->move(fetch, handle->row)
                                               : xyvget(fetch, 0, handle->row);
            if (logged(moved) != 0) return -1;
        }
        int answer = filter(written, nvar, buffer);
        if (answer > ZT_SKIP) break;
        if (answer != ZT_TAKE) continue;
        if (logged(xcwrite(file, buffer, rowBytes)) != 0) return -1;
        ++written;
    }
    return written;
}

}  // namespace

UTILITY_OPEN_RECORD ztOpenRecord()
{
    UTILITY_OPEN_RECORD record;
    std::memset(&record, 0, sizeof record);
    std::memset(record.member, ' ', sizeof record.member);
    std::memset(record.blanks50, ' ', sizeof record.blanks50);
    std::memcpy(record.memberType, "UTILITY ", sizeof record.memberType);
    record.openFlags = ORV_UTILITY_OPEN_FLAGS;
    return record;
}

int ztinit(ZT_FILE *first, ZT_FILE *second)
{
    if (first == nullptr || second == nullptr) return 1;
    UTILITY_OPEN_RECORD record = ztOpenRecord();
    if (logged(xcopen(first, &record)) != 0) return 2;
    record = ztOpenRecord(); /* the host may have written into it */
    if (logged(xcopen(second, &record)) != 0) return 2;
    return 0;
}

int ztterm(ZT_FILE first, ZT_FILE second)
{
    if (first == nullptr || second == nullptr) return 1;
    if (logged(xcclose(first, kCloseMode)) != 0) return 2;
    if (logged(xcclose(second, kCloseMode)) != 0) return 2;
    return 0;
}

int ztrset(ZT_FILE file)
{
    if (file == nullptr) return 1;
    return resetFile(file) == 0 ? 0 : 2;
}

int ztput(ZT_FILE file, int64_t nvar, const double *row)
{
    int64_t rowBytes = 0;
    if (file == nullptr || row == nullptr || !byteLength(nvar, &rowBytes)) return 1;
    return logged(xcwrite(file, row, rowBytes)) == 0 ? 0 : 2;
}

int ztget(ZT_FILE file, int64_t row, int64_t nvar, double *buffer)
{
    int64_t rowBytes = 0;
    if (file == nullptr || buffer == nullptr || row < -1 || !byteLength(nvar, &rowBytes)) return 2;
    if (row >= 0) {
        if (row > kLargestByteCount / rowBytes) return 2;
        if (logged(xcpoint(file, row * rowBytes)) != 0) return 1;
    }
    return logged(xcread(file, buffer, rowBytes)) == 0 ? 0 : 2;
}

int zttrans(ZT_FILE input, ZT_FILE output, int64_t R, int64_t M)
{
    return zttransWithin(input, output, R, M, ZT_PASS_BYTES);
}

int zttransWithin(ZT_FILE input, ZT_FILE output, int64_t R, int64_t M, int64_t passBytes)
{
    int64_t columnBytes = 0;   /* one output row: R doubles */
    int64_t inputRowBytes = 0; /* one input row: M doubles */
    if (input == nullptr || output == nullptr || !byteLength(R, &columnBytes) || !byteLength(M, &inputRowBytes) ||
        R > kLargestByteCount / inputRowBytes)
        return 5;
    if (resetFile(output) != 0) return 4;

    /* w output rows per pass: w * R * 8 <= max(passBytes, R * 8).  A pass
     * reads of every input row only its w columns, into `part`. */
    const int64_t width = std::min(std::max(std::max<int64_t>(passBytes, 8), columnBytes) / columnBytes, M);
    double *part = allocateDoubles(width * 8);
    double *pass = part != nullptr ? allocateDoubles(width * columnBytes) : nullptr;
    if (pass == nullptr) {
        releaseDoubles(part);
        xmemmsg(xmemdef());
        return 3;
    }

    int result = 0;
    for (int64_t first = 0; result == 0 && first < M; first += width) {
        const int64_t count = std::min(width, M - first);
        for (int64_t j = 0; j < R; ++j) {
            /* Row by row from the start the reads follow one another
             * without a move when the pass takes whole rows. */
            if ((count < M || j == 0) && logged(xcpoint(input, j * inputRowBytes + first * 8)) != 0) {
                result = 4;
                break;
            }
            const int status = xcread(input, part, count * 8);
            if (status != 0) {
                /* Positioning past the end is the host's refusal of a
                 * position, a short input all the same. */
                result = isEndOfFile(status) ? 2 : 4;
                logged(status);
                break;
            }
            /* Element j of output row m is input column first + m. */
            zvmovj1(pass + j, R, part, count);
        }
        if (result == 0 && logged(xcwrite(output, pass, count * columnBytes)) != 0) result = 4;
    }
    releaseDoubles(pass);
    releaseDoubles(part);
    if (result != 0) return result;

    if (logged(xcpoint(output, 0)) != 0 || resetFile(input) != 0) return 4;
    return 0;
}

int ztout(DATA_SET_HANDLE *output, PUT_BINDING *binding, ZT_FILE file, int64_t nvar,
          double *buffer, ZT_OUT_FILTER filter)
{
    return writeFileRows(output, binding, file, nvar, buffer,
                     [filter](int64_t row, int64_t count, double *values, int status) {
                         return filter != nullptr ? filter(row, count, values, status) : ZT_TAKE;
                     });
}

int ztoutp(DATA_SET_HANDLE *output, PUT_BINDING *binding, ZT_FILE file, void *context,
           int64_t nvar, double *buffer, ZT_OUTP_FILTER filter)
{
    return writeFileRows(output, binding, file, nvar, buffer,
                     [filter, context](int64_t row, int64_t count, double *values, int status) {
                         return filter != nullptr ? filter(context, row, count, values, status)
                                                  : ZT_TAKE;
                     });
}

int ztoutm(DATA_SET_HANDLE *output, PUT_BINDING *binding, const double *rows, int64_t rowCount, void *context,
           int64_t nvar, double *buffer, ZT_OUTP_FILTER filter)
{
    int64_t rowBytes = 0;
    if (rows == nullptr || rowCount < 0 || !byteLength(nvar, &rowBytes)) return 1;
    return writeRows(
        output, binding, buffer,
        [&](int64_t row) {
            if (row >= rowCount) return 1;
            std::memcpy(buffer, rows + row * nvar, size_t(rowBytes));
            return 0;
        },
        [&](int64_t row, double *values) {
            return filter != nullptr ? filter(context, row, nvar, values, 0) : ZT_TAKE;
        });
}

int64_t ztin(DATA_SET_HANDLE *input, FETCH_HANDLE *fetch, ZT_FILE file, int64_t nvar,
             double *buffer, ZT_IN_FILTER filter)
{
    return fillRows(input, fetch, file, nvar, buffer,
                    [filter](int64_t written, int64_t count, double *values) {
                        return filter != nullptr ? filter(written, count, values) : ZT_TAKE;
                    });
}

int64_t ztinp(DATA_SET_HANDLE *input, FETCH_HANDLE *fetch, ZT_FILE file, void *value,
              int64_t nvar, double *buffer, ZT_INP_FILTER filter)
{
    return fillRows(input, fetch, file, nvar, buffer,
                    [filter, value](int64_t written, int64_t count, double *values) {
                        return filter != nullptr ? filter(value, written, count, values) : ZT_TAKE;
                    });
}
