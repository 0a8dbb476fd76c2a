/*
 * data_set.h - what every open data set of the store has in common: the
 * handle the modules see, the names, the variables and their row layout, the
 * BY list, and the fetch definitions and output bindings made on it.
 *
 * Exports: class DataSet, FetchItem, FetchList, PutColumn, PutRun,
 * PutBindingState.
 */
#ifndef ORV_PLATFORM_DATASET_DATA_SET_H
#define ORV_PLATFORM_DATASET_DATA_SET_H

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "host/host_records.h"
#include "platform/dataset/variable.h"

namespace orvhost {

class DataSetStore;

class DataSet {
public:
    DataSet(DataSetStore &store, std::string libref, std::string member, bool input);
    virtual ~DataSet() = default;
    DataSet(const DataSet &) = delete;
    DataSet &operator=(const DataSet &) = delete;

    /* The record the modules hold; handle.host points back to this object. */
    DATA_SET_HANDLE handle{};

    bool isInput() const { return input_; }
    const std::string &libref() const { return libref_; }
    const std::string &member() const { return member_; }
    std::string qualifiedName() const { return libref_ + "." + member_; }

    DataSetDescription &description() { return description_; }
    const DataSetDescription &description() const { return description_; }
    const std::vector<Variable> &variables() const { return description_.variables; }

    /* The variable of a 1-based number, or null. */
    const Variable *variable(int number) const
    {
        if (number < 1 || size_t(number) > description_.variables.size()) return nullptr;
        return &description_.variables[size_t(number) - 1];
    }

    /* The 1-based number of a variable by name (any case, trailing blanks
     * ignored), or 0. */
    int findVariable(std::string_view name) const;

    /* The BY list: 1-based variable numbers, negative for DESCENDING. */
    const std::vector<int> &byList() const { return byList_; }
    bool notSorted() const { return notSorted_; }

    /* Keeps a resolved variable list for as long as the data set is open;
     * returns its numbers. */
    int32_t *keepList(std::vector<int32_t> numbers);

    /* A failure whose message was logged where it was found; xofprc then
     * does not log it a second time. */
    void noteLoggedFailure(int status) { loggedFailure_ = status; }
    bool failureLogged(int status) const { return status != 0 && status == loggedFailure_; }

protected:
    DataSetStore &store_;
    DataSetDescription description_;
    std::vector<int> byList_;
    bool notSorted_ = false;

private:
    std::string libref_;
    std::string member_;
    bool input_;
    std::deque<std::vector<int32_t>> lists_;
    int loggedFailure_ = 0;
};

/* One variable of a fetch definition: moved from its cell of the row into
 * buffer. */
struct FetchItem {
    RowCell cell;
    void *buffer;
    int bufferLength;
};

struct FetchList {
    FETCH_HANDLE record{};
    DataSet *owner = nullptr;
    std::vector<FetchItem> items;
    bool ended = false;
};

/* One column of an output binding: its value comes from buffer, or (for a
 * column copied with xvputcv) from the current BY group of an input data
 * set. */
struct PutColumn {
    int variable;             /* 1-based number in the output */
    const void *buffer;       /* null for a BY column */
    int bufferLength;
    const void *byInput;      /* the input's DATA_SET_HANDLE, for a BY column */
    int inputVariable;        /* 1-based number in that input */
    RowCell cell{};           /* of the output variable, set when the definition ends */
};

/* Numeric columns whose buffers lie side by side as their cells do in the
 * row: moved by one copy of `bytes` bytes. */
struct PutRun {
    size_t offset;      /* of the first cell in the row */
    const void *source; /* the first column's buffer */
    size_t bytes;
};

struct PutBindingState {
    PUT_BINDING record{};
    DataSet *owner = nullptr;
    std::vector<PutColumn> columns;
    /* How xyvput moves a row, made when the definition ends: the numeric
     * columns from buffers as runs, then every other column. */
    std::vector<PutRun> numberRuns;
    std::vector<PutColumn> otherColumns;
    bool ended = false;
};

}  // namespace orvhost

#endif
