/*
 * variable.h - the description of a data set and its variables as the store
 * keeps it, and the place of each variable in an observation row.
 *
 * A row is one block of bytes: a numeric variable takes 8 bytes (a double), a
 * character variable `length` bytes of blank-padded text, at the variable's
 * offset.  Rows are what DATA_SET_HANDLE::row points to.
 *
 * Exports: VariableType, Variable, DataSetDescription, layOutRow, RowCell,
 * rowCell, formatText, splitFormatText.
 */
#ifndef ORV_PLATFORM_DATASET_VARIABLE_H
#define ORV_PLATFORM_DATASET_VARIABLE_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/formats.h"

namespace orvhost {

enum class VariableType { Numeric, Character };

/* Longest character variable. */
constexpr int kLongestCharacterVariable = 32767;

struct Variable {
    std::string name;
    std::string label;
    VariableType type = VariableType::Numeric;
    int length = 8; /* bytes; 8 for numbers */
    std::string formatName; /* without width and '.', as "DATE"; "" = none */
    int formatWidth = 0;
    int formatDecimals = 0;
    std::string informatName;
    int informatWidth = 0;
    int informatDecimals = 0;

    size_t offset = 0;                           /* in a row (layOutRow) */
    FormatFamily family = FormatFamily::Numeric; /* of formatName (layOutRow) */
};

struct DataSetDescription {
    std::string label;
    std::vector<Variable> variables;
    int64_t observations = -1; /* -1: not known */
    int64_t csvBytes = -1;     /* size of the file the count belongs to */
};

/* Sets every variable's offset and format family; returns the row size. */
size_t layOutRow(std::vector<Variable> &variables);

/* What the loops over every row need of a variable, kept apart from its
 * descriptive fields so that a row's cells lie in few cache lines. */
struct RowCell {
    size_t offset;
    int length;
    VariableType type;
    FormatFamily family;
};

/* The cell of a variable laid out by layOutRow. */
inline RowCell rowCell(const Variable &variable)
{
    return {variable.offset, variable.length, variable.type, variable.family};
}

/* "DATE9.", "BEST12.2", "$CHAR8." or "DATETIME." from name, width and
 * decimals; "" for no name. */
std::string formatText(std::string_view name, int width, int decimals);

/* Splits a format text ("DATE9.", "best12.2", "DATETIME", "$8.") into its
 * name (upper case), width and decimals; false when it is not of that form. */
bool splitFormatText(std::string_view text, std::string &name, int &width, int &decimals);

}  // namespace orvhost

#endif
