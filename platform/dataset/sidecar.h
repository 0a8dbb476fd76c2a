/*
 * sidecar.h - the description file of a data set, member.meta.json beside
 * member.csv.
 *
 *   {
 *     "label": "Monthly sales",
 *     "observations": 120,          (optional: rows of the CSV file...)
 *     "csvBytes": 5120,             (...when the file still has this size)
 *     "variables": [
 *       {"name": "region", "type": "character", "length": 12, "label": "Region"},
 *       {"name": "date", "type": "numeric", "length": 8, "label": "", "format": "DATE9."}
 *     ]
 *   }
 *
 * Per variable, "name" and "type" ("numeric" or "character") are required,
 * and "length" for character variables; "label", "format", "informat" and a
 * numeric "length" (3 to 8) are optional.  The variables are those of the
 * CSV header, in its order.
 *
 * Exports: readSidecar, writeSidecar, sidecarPath.
 */
#ifndef ORV_PLATFORM_DATASET_SIDECAR_H
#define ORV_PLATFORM_DATASET_SIDECAR_H

#include <string>

#include "platform/dataset/variable.h"

namespace orvhost {

/* Reads the sidecar at path into description.  False with a message in
 * error that names the file and line: unreadable file (also one that is not
 * a regular file or has more than kMaxSidecarBytes), malformed JSON, a
 * number out of range, a missing or mistyped field, a bad name, type,
 * length or format, two variables of the same name in any case. */
bool readSidecar(const std::string &path, DataSetDescription &description, std::string &error);

/* Writes description as a sidecar at path.  False with a message in error
 * when the file cannot be written. */
bool writeSidecar(const std::string &path, const DataSetDescription &description,
                  std::string &error);

}  // namespace orvhost

#endif
