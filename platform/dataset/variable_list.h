/*
 * variable_list.h - resolving a variable list as the statement parser
 * writes it (VAR statement items) against a data set's variables.
 *
 * Exports: resolveVariableList.
 */
#ifndef ORV_PLATFORM_DATASET_VARIABLE_LIST_H
#define ORV_PLATFORM_DATASET_VARIABLE_LIST_H

#include <cstdint>
#include <string>
#include <vector>

#include "platform/dataset/data_set.h"

namespace orvhost {

/*
 * Resolves the items of a variable list, in the canonical upper-case forms
 * of host_records.h ("NAME", "A-B" numbered range, "A--B" positional range,
 * "A-NUMERIC-B", "A-CHARACTER-B", "PREFIX:", "_NUMERIC_", "_CHARACTER_",
 * "_ALL_"), into 1-based variable numbers in the order written; a variable
 * named twice counts once.
 * numericOnly: a character variable named on its own (or by a numbered
 * range) is an error; the group forms take only the numeric variables.
 * The group forms leave out excludedNumber (the ID variable; 0 = none).
 * Returns true with out filled, or false with problem set.
 */
bool resolveVariableList(const DataSet &dataSet, const std::vector<std::string> &items, bool numericOnly,
                         int excludedNumber, std::vector<int32_t> &out, std::string &problem);

}  // namespace orvhost

#endif
