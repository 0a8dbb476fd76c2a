/*
 * file_writes.h - the one road by which the data-set writer puts bytes
 * into files (the rows of an output and its sidecar), with a switch for
 * tests that makes the disk fill.
 *
 * Exports: writeFileBytes, setDiskSpaceForTests.
 */
#ifndef ORV_PLATFORM_DATASET_FILE_WRITES_H
#define ORV_PLATFORM_DATASET_FILE_WRITES_H

#include <cstddef>
#include <cstdint>

namespace orvhost {

/* Writes all size bytes of data to fd, retrying after signals.  True, or
 * false with errno set (ENOSPC when the disk is full). */
bool writeFileBytes(int fd, const void *data, size_t size);

/* For tests: from now on writeFileBytes writes only `bytes` more bytes in
 * all, the last call partly, and then fails with ENOSPC as a full disk
 * does; a negative value gives the disk back its room. */
void setDiskSpaceForTests(int64_t bytes);

}  // namespace orvhost

#endif
