/*
 * data_set_status.h - the host statuses of the data-set services.
 *
 * 0 is success.  The end of a BY group or of the data is the positive
 * ORV_DS_END_OF_GROUP (host/host_records.h).  Failures are negative; their
 * texts are in set 2 of messages.cat, keyed by the status as a signed int,
 * so that xprrlog prints them.  None has ORV_STATUS_EOF_BITS under
 * ORV_STATUS_EOF_MASK, so none reads as an end of file.
 *
 * The detailed message of a failure the user caused (a malformed file, an
 * unknown library, data not sorted by the BY variables) is logged where it
 * is found, with the file and line; the status only tells the caller that it
 * happened.
 */
#ifndef ORV_PLATFORM_DATASET_DATA_SET_STATUS_H
#define ORV_PLATFORM_DATASET_DATA_SET_STATUS_H

namespace orvhost {

/* xvfind: no variable of that name. */
constexpr int kDataSetStatusNotFound = int(0x8001F82Du);
/* The handle is not an open data set, fetch definition or output binding. */
constexpr int kDataSetStatusBadHandle = int(0x8004D001u);
/* A null pointer, a variable number outside the data set, a bad length or
 * an unknown request code. */
constexpr int kDataSetStatusBadArgument = int(0x8004D002u);
/* The data set could not be opened (unknown library, missing file, bad
 * name, malformed sidecar or header). */
constexpr int kDataSetStatusOpenFailed = int(0x8004D003u);
/* The data could not be read: a malformed row, or a read error. */
constexpr int kDataSetStatusReadFailed = int(0x8004D004u);
/* The data are not sorted by the BY variables. */
constexpr int kDataSetStatusNotSorted = int(0x8004D005u);
/* An observation or the data set could not be written. */
constexpr int kDataSetStatusWriteFailed = int(0x8004D006u);
/* A read of an output data set, a write of an input data set, or a service
 * that the data set's mode does not offer. */
constexpr int kDataSetStatusWrongMode = int(0x8004D007u);
/* An output variable defined after xvpute, a value moved before it, or a
 * second binding. */
constexpr int kDataSetStatusNotDefined = int(0x8004D008u);
/* xoinfo: an item this host does not know. */
constexpr int kDataSetStatusUnknownItem = int(0x8004D009u);
/* An allocation failed (counted for xmemdef). */
constexpr int kDataSetStatusNoMemory = int(0x8004D00Au);
/* A character variable used as a number, or BY variables of two data sets
 * whose types differ. */
constexpr int kDataSetStatusTypeMismatch = int(0x8004D00Bu);
/* wztxgln: no locale with that identifier. */
constexpr int kDataSetStatusNoLocale = int(0x8004D00Cu);

/* Return code that a step is raised to when one of its data sets failed in a
 * way the procedure could not see (for example data not sorted by the BY
 * variables, which ends the BY groups early): the step counts as failed and
 * its outputs are not put in place. */
constexpr int kDataSetErrorReturnCode = 8;

/* Highest step return code with which a step's outputs are put in place. */
constexpr int kHighestCommittingReturnCode = 4;

/* Return codes of a step that skipped BY groups and wrote the rest (time
 * IDs that cannot be used: 108 with BY variables, 1008 without; out of
 * memory inside a group with BY variables: 116).  The step wrote every
 * other group completely, so its outputs are put in place as for a return
 * code of 4 or less. */
constexpr int kGroupSkipReturnCodes[] = {108, 116, 1008};

constexpr bool isGroupSkipReturnCode(int returnCode)
{
    for (int code : kGroupSkipReturnCodes)
        if (returnCode == code) return true;
    return false;
}

/* True when a step ending with returnCode has its outputs put in place
 * (an output to which such a step wrote no row keeps its earlier version
 * when the code is a group-skip code: the step skipped every group). */
constexpr bool stepKeepsOutputs(int returnCode)
{
    return returnCode <= kHighestCommittingReturnCode || isGroupSkipReturnCode(returnCode);
}

}  // namespace orvhost

#endif
