/*
 * utility_file_services.cpp - host routines of the utility files (vector 48):
 * xcopen, xcread, xcwrite, xcnote, xcpoint and xcclose, on the running
 * host's UtilityFiles.  Statuses are those of platform/utility_files.h.
 */
#include "platform/host.h"
#include "platform/service_table.h"
#include "platform/utility_files.h"

namespace host_routines {

namespace {
orvhost::UtilityFiles &files() { return orvhost::Host::current().utilityFiles(); }
}  // namespace

int xcopen(void **fileOut, void *openRecord) { return files().open(fileOut, openRecord); }

int xcread(void *file, void *buffer, int64_t length) { return files().read(file, buffer, length); }

int xcwrite(void *file, const void *buffer, int64_t length)
{
    return files().write(file, buffer, length);
}

int xcnote(void *file, int64_t *positionOut) { return files().note(file, positionOut); }

int xcpoint(void *file, int64_t position) { return files().point(file, position); }

int xcclose(void *file, int mode) { return files().close(file, mode); }

}  // namespace host_routines
