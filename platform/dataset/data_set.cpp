/*
 * data_set.cpp - names, variables and kept lists of an open data set.
 */
#include "platform/dataset/data_set.h"

#include <cctype>

namespace orvhost {

DataSet::DataSet(DataSetStore &store, std::string libref, std::string member, bool input)
    : store_(store), libref_(std::move(libref)), member_(std::move(member)), input_(input)
{
    handle.host = this;
}

int DataSet::findVariable(std::string_view name) const
{
    while (!name.empty() && (name.back() == ' ' || name.back() == '\0')) name.remove_suffix(1);
    const std::vector<Variable> &variables = description_.variables;
    for (size_t i = 0; i < variables.size(); ++i) {
        const std::string &candidate = variables[i].name;
        if (candidate.size() != name.size()) continue;
        bool same = true;
        for (size_t k = 0; k < name.size() && same; ++k)
            same = std::toupper(static_cast<unsigned char>(candidate[k])) ==
                   std::toupper(static_cast<unsigned char>(name[k]));
        if (same) return int(i) + 1;
    }
    return 0;
}

int32_t *DataSet::keepList(std::vector<int32_t> numbers)
{
    lists_.push_back(std::move(numbers));
    return lists_.back().data();
}

}  // namespace orvhost
