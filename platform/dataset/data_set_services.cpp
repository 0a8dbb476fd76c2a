/*
 * data_set_services.cpp - host routines of the data-set services: vector 212
 * (open, describe, fetch, BY groups, output), xofprc and xvname of vector
 * 48, xffile and xfrfile of vector 39, and the locale names wztxgln and
 * wztxgcli of vector 21.
 *
 * Every handle is looked up in the running host's DataSetStore before it is
 * used.  Statuses are those of platform/dataset/data_set_status.h.
 */
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "host/missing_values.h"
#include "platform/dataset/data_set_status.h"
#include "platform/dataset/data_set_store.h"
#include "platform/dataset/input_data_set.h"
#include "platform/dataset/output_data_set.h"
#include "platform/dataset/short_bytes.h"
#include "platform/dataset/variable_list.h"
#include "platform/host.h"
#include "platform/parser/parse_result.h"
#include "platform/service_table.h"
#include "platform/step.h"

namespace host_routines {

namespace {

using orvhost::DataSet;
using orvhost::DataSetStore;
using orvhost::FetchList;
using orvhost::InputDataSet;
using orvhost::OutputDataSet;
using orvhost::PutBindingState;
using orvhost::Variable;
using orvhost::VariableType;

/* Request codes the callers pass. */
constexpr int kRewindToGroupStart = 66;
constexpr int kFormatKind = 'F';   /* 70 */
constexpr int kInformatKind = 'I'; /* 73 */
/* Columns of an output binding, or variables of a fetch list, reserved at
 * most on the caller's count (a hint, which may be wild). */
constexpr size_t kMostReservedColumns = 4096;
/* Mode of xvdflst for a list of numeric analysis variables. */
constexpr int kNumericListMode = 1;

DataSetStore &store() { return orvhost::Host::current().dataSets(); }

/* Copies text into a blank-padded field of `size` bytes; returns the
 * length kept. */
int putText(char *field, size_t size, std::string_view text)
{
    size_t length = std::min(text.size(), size);
    std::memcpy(field, text.data(), length);
    std::memset(field + length, ' ', size - length);
    return int(length);
}

/* The text of a counted field: `length` characters when 0 < length <= size,
 * else the field up to its trailing blanks. */
std::string_view countedText(const char *field, int length, size_t size)
{
    size_t n = length > 0 && size_t(length) <= size ? size_t(length) : size;
    std::string_view text(field, n);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\0')) text.remove_suffix(1);
    if (length <= 0) {
        size_t end = text.find('\0');
        if (end != std::string_view::npos) text = text.substr(0, end);
    }
    return text;
}

std::string_view trimmedField(const char *field, size_t size)
{
    std::string_view text(field, size);
    size_t end = text.find('\0');
    if (end != std::string_view::npos) text = text.substr(0, end);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    return text;
}

double numberAt(const void *row, const Variable &variable)
{
    double value;
    std::memcpy(&value, static_cast<const uint8_t *>(row) + variable.offset, sizeof value);
    return value;
}

/* Moves one value of a cell between a row and a caller's buffer. */
void rowToBuffer(const void *row, const orvhost::RowCell &cell, void *buffer, int bufferLength)
{
    const uint8_t *field = static_cast<const uint8_t *>(row) + cell.offset;
    if (cell.type == VariableType::Numeric) {
        std::memcpy(buffer, field, sizeof(double));
        return;
    }
    size_t n = std::min(size_t(bufferLength), size_t(cell.length));
    std::memcpy(buffer, field, n);
    std::memset(static_cast<uint8_t *>(buffer) + n, ' ', size_t(bufferLength) - n);
}

void bufferToRow(const void *buffer, int bufferLength, const orvhost::RowCell &cell, void *row)
{
    uint8_t *field = static_cast<uint8_t *>(row) + cell.offset;
    if (cell.type == VariableType::Numeric) {
        std::memcpy(field, buffer, sizeof(double));
        return;
    }
    size_t n = std::min(size_t(bufferLength), size_t(cell.length));
    std::memcpy(field, buffer, n);
    std::memset(field + n, ' ', size_t(cell.length) - n);
}

/* Adds a column whose cell is set to the plan by which xyvput moves rows:
 * a numeric column from a buffer joins the last run when its buffer and
 * its cell follow that run's, else starts a run; others are moved one by
 * one. */
void addToMovePlan(orvhost::PutBindingState &binding, const orvhost::PutColumn &column)
{
    if (column.buffer == nullptr || column.cell.type != VariableType::Numeric) {
        binding.otherColumns.push_back(column);
        return;
    }
    if (!binding.numberRuns.empty()) {
        orvhost::PutRun &last = binding.numberRuns.back();
        if (last.offset + last.bytes == column.cell.offset &&
            static_cast<const uint8_t *>(last.source) + last.bytes == column.buffer) {
            last.bytes += sizeof(double);
            return;
        }
    }
    binding.numberRuns.push_back({column.cell.offset, column.buffer, sizeof(double)});
}

void describe(const Variable &variable, int number, VARIABLE_DESCRIPTOR *out)
{
    std::memset(out, 0, sizeof *out);
    out->number = number;
    out->type = variable.type == VariableType::Numeric ? ORV_VAR_NUMERIC : ORV_VAR_CHARACTER;
    out->length = variable.length;
    out->nameLength = int16_t(putText(out->name, sizeof out->name, variable.name));
    out->labelLength = int16_t(putText(out->label, sizeof out->label, variable.label));
    out->formatNameLength =
        int16_t(putText(out->formatName, sizeof out->formatName, variable.formatName));
    out->formatWidth = int16_t(variable.formatWidth);
    out->formatDecimals = int16_t(variable.formatDecimals);
    out->formatCode = orvhost::formatIdentifier(variable.formatName);
    out->informatNameLength =
        int16_t(putText(out->informatName, sizeof out->informatName, variable.informatName));
    out->informatWidth = int16_t(variable.informatWidth);
    out->informatDecimals = int16_t(variable.informatDecimals);
}

/* The variable a descriptor describes, for an output column. */
Variable fromDescriptor(const VARIABLE_DESCRIPTOR &descriptor)
{
    Variable variable;
    variable.name = std::string(countedText(descriptor.name, descriptor.nameLength,
                                            sizeof descriptor.name));
    variable.label = std::string(countedText(descriptor.label, descriptor.labelLength,
                                             sizeof descriptor.label));
    variable.type = descriptor.type == ORV_VAR_CHARACTER ? VariableType::Character
                                                         : VariableType::Numeric;
    variable.length = descriptor.length;
    variable.formatName = std::string(countedText(descriptor.formatName,
                                                  descriptor.formatNameLength,
                                                  sizeof descriptor.formatName));
    for (char &c : variable.formatName) c = char(std::toupper(static_cast<unsigned char>(c)));
    variable.formatWidth = std::max<int>(descriptor.formatWidth, 0);
    variable.formatDecimals = std::max<int>(descriptor.formatDecimals, 0);
    variable.informatName = std::string(countedText(descriptor.informatName,
                                                    descriptor.informatNameLength,
                                                    sizeof descriptor.informatName));
    for (char &c : variable.informatName) c = char(std::toupper(static_cast<unsigned char>(c)));
    variable.informatWidth = std::max<int>(descriptor.informatWidth, 0);
    variable.informatDecimals = std::max<int>(descriptor.informatDecimals, 0);
    return variable;
}

/* The current locale's name from the environment ("en_US" of
 * "en_US.UTF-8"); "" for none, C or POSIX. */
std::string_view currentLocaleName()
{
    for (const char *variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char *value = std::getenv(variable);
        if (value == nullptr || *value == '\0') continue;
        std::string_view name(value, std::strcspn(value, ".@"));
        if (name == "C" || name == "POSIX") return {};
        return name;
    }
    return {};
}

}  // namespace

int xoopen(void *openRequest, void **dataSetHandleOut)
{
    if (dataSetHandleOut != nullptr) *dataSetHandleOut = nullptr;
    if (openRequest == nullptr || dataSetHandleOut == nullptr) return orvhost::kDataSetStatusBadArgument;
    DATA_SET_OPEN_REQUEST request;
    std::memcpy(&request, openRequest, sizeof request);
    if (request.memberLength < 0 || request.memberLength > ORV_DS_MEMBER_LENGTH ||
        (request.mode != ORV_DS_OPEN_INPUT && request.mode != ORV_DS_OPEN_OUTPUT))
        return orvhost::kDataSetStatusBadArgument;
    std::string_view libref = trimmedField(request.libref, sizeof request.libref);
    std::string_view member =
        request.memberLength > 0
            ? trimmedField(request.member, size_t(request.memberLength))
            : trimmedField(request.member, sizeof request.member);
    if (request.memberLength == 0) member = member.substr(0, member.find(' '));
    std::string error;
    DATA_SET_HANDLE *handle = store().open(libref, member,
                                           request.mode == ORV_DS_OPEN_OUTPUT
                                               ? orvhost::DataSetMode::Output
                                               : orvhost::DataSetMode::Input,
                                           error);
    if (handle == nullptr) {
        store().log().error(error);
        return orvhost::kDataSetStatusOpenFailed;
    }
    *dataSetHandleOut = handle;
    return 0;
}

int xoclose(void *dataSetHandle) { return store().close(dataSetHandle); }

int xoinfo(void *dataSetHandle, int item, void *value)
{
    DataSet *dataSet = store().find(dataSetHandle);
    if (dataSet == nullptr) return orvhost::kDataSetStatusBadHandle;
    if (value == nullptr) return orvhost::kDataSetStatusBadArgument;
    InputDataSet *input = store().findInput(dataSetHandle);
    OutputDataSet *output = store().findOutput(dataSetHandle);
    auto putInt = [value](int32_t number) { std::memcpy(value, &number, sizeof number); };
    auto putCount = [value](int64_t number) { std::memcpy(value, &number, sizeof number); };
    switch (item) {
    case ORV_DS_INFO_COUNTED_OBSERVATIONS:
        putCount(input != nullptr ? input->countedObservations() : output->rowsWritten());
        return 0;
    case ORV_DS_INFO_OBSERVATIONS:
        putCount(input != nullptr ? input->knownObservations() : output->rowsWritten());
        return 0;
    case ORV_DS_INFO_LIBREF:
        putText(static_cast<char *>(value), ORV_DS_LIBREF_LENGTH, dataSet->libref());
        return 0;
    case ORV_DS_INFO_MEMBER: {
        auto *name = static_cast<ORV_COUNTED_NAME *>(value);
        name->length = int16_t(putText(name->text, sizeof name->text, dataSet->member()));
        return 0;
    }
    case ORV_DS_INFO_LABEL: {
        auto *label = static_cast<ORV_COUNTED_LABEL *>(value);
        label->length = int16_t(putText(label->text, sizeof label->text, dataSet->description().label));
        return 0;
    }
    case ORV_DS_INFO_SET_LABEL: {
        const auto *label = static_cast<const ORV_COUNTED_LABEL *>(value);
        if (label->length < 0 || label->length > ORV_DS_LABEL_LENGTH)
            return orvhost::kDataSetStatusBadArgument;
        std::string_view text(label->text, size_t(label->length));
        while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
        dataSet->description().label = std::string(text);
        return 0;
    }
    case ORV_DS_INFO_OBSERVATION_NUMBERS: putInt(input != nullptr ? 1 : 0); return 0;
    case ORV_DS_INFO_SEQUENTIAL: putInt(input != nullptr ? 1 : 0); return 0;
    case ORV_DS_INFO_COUNT_ESTIMATED:
        putInt(input != nullptr && input->knownObservations() < 0 ? 1 : 0);
        return 0;
    case ORV_DS_INFO_QUALIFIED_NAME: {
        auto *name = static_cast<ORV_COUNTED_DATA_SET_NAME *>(value);
        name->length = int16_t(putText(name->text, sizeof name->text, dataSet->qualifiedName()));
        return 0;
    }
    default: return orvhost::kDataSetStatusUnknownItem;
    }
}

int xvfind(void *dataSetHandle, const char *name, int nameLength, int *variableNumberOut)
{
    if (variableNumberOut != nullptr) *variableNumberOut = 0;
    DataSet *dataSet = store().find(dataSetHandle);
    if (dataSet == nullptr) return orvhost::kDataSetStatusBadHandle;
    if (name == nullptr || nameLength <= 0 || variableNumberOut == nullptr)
        return orvhost::kDataSetStatusBadArgument;
    int number = dataSet->findVariable(std::string_view(name, size_t(nameLength)));
    if (number == 0) return orvhost::kDataSetStatusNotFound;
    *variableNumberOut = number;
    return 0;
}

int xvname(void *dataSetHandle, int variableNumber, void *descriptorOut)
{
    DataSet *dataSet = store().find(dataSetHandle);
    if (dataSet == nullptr) return orvhost::kDataSetStatusBadHandle;
    const Variable *variable = dataSet->variable(variableNumber);
    if (variable == nullptr || descriptorOut == nullptr) return orvhost::kDataSetStatusBadArgument;
    describe(*variable, variableNumber, static_cast<VARIABLE_DESCRIPTOR *>(descriptorOut));
    return 0;
}

void xvnamei(void *descriptor)
{
    if (descriptor == nullptr) return;
    auto *out = static_cast<VARIABLE_DESCRIPTOR *>(descriptor);
    describe(Variable{}, 0, out);
    out->formatCode = orvhost::kNoFormat;
}

int xvsele(void *dataSetHandle)
{
    return store().find(dataSetHandle) != nullptr ? 0 : orvhost::kDataSetStatusBadHandle;
}

/* Resolves an ORV_VARIABLE_LIST_SLOT: not given = the empty list; given
 * as the parser's variable-list items (slot type ORV_SLOT_VARIABLE_SPEC) =
 * those items resolved by name, the group forms leaving out the ID
 * variable of idSlot; given otherwise = the numbers the job language
 * found.  Checked (mode 1: numeric variables only) and kept with the data
 * set.  0; kDataSetStatusBadHandle; kDataSetStatusBadArgument;
 * kDataSetStatusTypeMismatch (logged, the step fails; the slot's count
 * becomes 0). */
int xvdflst(void *dataSetHandle, int mode, void *listSlot, int, void *, void *idSlot)
{
    DataSet *dataSet = store().find(dataSetHandle);
    if (dataSet == nullptr) return orvhost::kDataSetStatusBadHandle;
    if (listSlot == nullptr) return orvhost::kDataSetStatusBadArgument;
    auto *slot = static_cast<ORV_VARIABLE_LIST_SLOT *>(listSlot);
    std::vector<int32_t> numbers;
    if (slot->given != 0 && static_cast<const OPTION_SLOT *>(listSlot)->type == ORV_SLOT_VARIABLE_SPEC) {
        /* The list as the parser wrote it: resolved here by name. */
        const auto *id = static_cast<const OPTION_SLOT *>(idSlot);
        const int idNumber = id != nullptr && id->given != 0 && id->type == ORV_SLOT_ID && id->items != nullptr
                                 ? *static_cast<const int32_t *>(id->items)
                                 : 0;
        std::string problem;
        if (!orvhost::resolveVariableList(*dataSet, orvhost::nameListTexts(static_cast<const NAME_LIST_BLOCK *>(
                                                        static_cast<const OPTION_SLOT *>(listSlot)->items)),
                                          mode == kNumericListMode, idNumber, numbers, problem)) {
            store().reportError(problem);
            slot->count = 0;
            return orvhost::kDataSetStatusTypeMismatch;
        }
    } else if (slot->given != 0) {
        if (slot->count < 0 || (slot->count > 0 && slot->numbers == nullptr)) {
            slot->count = 0;
            return orvhost::kDataSetStatusBadArgument;
        }
        numbers.assign(slot->numbers, slot->numbers + slot->count);
    }
    for (int32_t number : numbers) {
        const Variable *variable = dataSet->variable(number);
        std::string problem;
        if (variable == nullptr)
            problem = "The variable list names variable " + std::to_string(number) + " of " +
                      dataSet->qualifiedName() + ", which has " +
                      std::to_string(dataSet->variables().size()) + " variables.";
        else if (mode == kNumericListMode && variable->type != VariableType::Numeric)
            problem = "The variable " + variable->name + " of " + dataSet->qualifiedName() +
                      " is not numeric; the variable list takes numeric variables only.";
        if (!problem.empty()) {
            store().reportError(problem);
            slot->count = 0;
            return orvhost::kDataSetStatusTypeMismatch;
        }
    }
    slot->count = int32_t(numbers.size());
    slot->numbers = dataSet->keepList(std::move(numbers));
    return 0;
}

int xvgeti(void *dataSetHandle, int variableCount, void **fetchHandleOut)
{
    if (fetchHandleOut != nullptr) *fetchHandleOut = nullptr;
    DataSet *dataSet = store().find(dataSetHandle);
    if (dataSet == nullptr) return orvhost::kDataSetStatusBadHandle;
    if (!dataSet->isInput()) return orvhost::kDataSetStatusWrongMode;
    if (variableCount < 0 || fetchHandleOut == nullptr) return orvhost::kDataSetStatusBadArgument;
    FetchList *fetch = store().newFetch(*dataSet);
    if (fetch == nullptr) return orvhost::kDataSetStatusNoMemory;
    fetch->items.reserve(std::min(size_t(variableCount), kMostReservedColumns));
    *fetchHandleOut = &fetch->record;
    return 0;
}

/* The variable's own type decides the move: a number into 8 bytes
 * (bufferLength at least 8), a text blank-padded or cut to bufferLength.
 * 0; kDataSetStatusBadHandle; kDataSetStatusNotDefined after xvgete;
 * kDataSetStatusBadArgument. */
int xvgetd(void *fetchHandle, int variableNumber, int, void *buffer, int bufferLength, int, int, int)
{
    FetchList *fetch = store().findFetch(fetchHandle);
    if (fetch == nullptr || store().find(&fetch->owner->handle) == nullptr)
        return orvhost::kDataSetStatusBadHandle;
    if (fetch->ended) return orvhost::kDataSetStatusNotDefined;
    const Variable *variable = fetch->owner->variable(variableNumber);
    if (variable == nullptr || buffer == nullptr) return orvhost::kDataSetStatusBadArgument;
    if (variable->type == VariableType::Numeric ? bufferLength < int(sizeof(double))
                                                : bufferLength < 1)
        return orvhost::kDataSetStatusBadArgument;
    fetch->items.push_back({orvhost::rowCell(*variable), buffer, bufferLength});
    return 0;
}

int xvgete(void *fetchHandle)
{
    FetchList *fetch = store().findFetch(fetchHandle);
    if (fetch == nullptr) return orvhost::kDataSetStatusBadHandle;
    fetch->ended = true;
    return 0;
}

int xvgett(void *fetchHandle)
{
    if (store().findFetch(fetchHandle) == nullptr) return orvhost::kDataSetStatusBadHandle;
    store().releaseFetch(fetchHandle);
    return 0;
}

/* row must be the data set's current row (handle->row), the only block
 * whose layout the fetch knows.  0; kDataSetStatusBadHandle;
 * kDataSetStatusBadArgument. */
int xyvget(void *fetchHandle, int, const void *row)
{
    FetchList *fetch = store().findFetch(fetchHandle);
    if (fetch == nullptr) return orvhost::kDataSetStatusBadHandle;
    /* Only the data set's own current row has the layout the items know. */
    if (row == nullptr || row != fetch->owner->handle.row) return orvhost::kDataSetStatusBadArgument;
    for (const orvhost::FetchItem &item : fetch->items)
        rowToBuffer(row, item.cell, item.buffer, item.bufferLength);
    return 0;
}

int xvget1f(void *dataSetHandle, int variableNumber, double *valueOut)
{
    InputDataSet *input = store().findInput(dataSetHandle);
    if (input == nullptr) return orvhost::kDataSetStatusBadHandle;
    const Variable *variable = input->variable(variableNumber);
    if (variable == nullptr || valueOut == nullptr || input->handle.row == nullptr)
        return orvhost::kDataSetStatusBadArgument;
    if (variable->type != VariableType::Numeric) return orvhost::kDataSetStatusTypeMismatch;
    *valueOut = numberAt(input->handle.row, *variable);
    return 0;
}

int xybyget(void **dataSetHandleRef)
{
    InputDataSet *input = dataSetHandleRef != nullptr ? store().findInput(*dataSetHandleRef) : nullptr;
    if (input == nullptr) return orvhost::kDataSetStatusBadHandle;
    return input->readInGroup();
}

int xbynext(void *dataSetHandle)
{
    InputDataSet *input = store().findInput(dataSetHandle);
    if (input == nullptr) {
        /* 0 ends the callers' group loops; a failing value would not. */
        store().reportError("The BY-group service was given a handle that is not an open input "
                            "data set.");
        return 0;
    }
    return input->nextGroup();
}

int xbyrwnd(void *dataSetHandle, int option)
{
    InputDataSet *input = store().findInput(dataSetHandle);
    if (input == nullptr) return orvhost::kDataSetStatusBadHandle;
    if (option != kRewindToGroupStart) return orvhost::kDataSetStatusBadArgument;
    return input->rewindGroup();
}

int xbysync(void *leadDataSetHandle, void *followDataSetHandle)
{
    InputDataSet *lead = store().findInput(leadDataSetHandle);
    InputDataSet *follow = store().findInput(followDataSetHandle);
    if (lead == nullptr || follow == nullptr) return orvhost::kDataSetStatusBadHandle;
    return follow->syncTo(*lead);
}

int xbyvinf(void *dataSetHandle, int *byCountOut, int **byVariablesOut, void *, void *, void *,
            void *, int)
{
    DataSet *dataSet = store().find(dataSetHandle);
    if (dataSet == nullptr) return orvhost::kDataSetStatusBadHandle;
    const std::vector<int> &list = dataSet->byList();
    if (byCountOut != nullptr) *byCountOut = int(list.size());
    if (byVariablesOut != nullptr) *byVariablesOut = const_cast<int *>(list.data());
    return 0;
}

int xbyslst(void *sourceDataSetHandle, void *targetDataSetHandle, int count)
{
    DataSet *source = store().find(sourceDataSetHandle);
    InputDataSet *target = store().findInput(targetDataSetHandle);
    if (source == nullptr || target == nullptr) return orvhost::kDataSetStatusBadHandle;
    const std::vector<int> &sourceList = source->byList();
    if (count < 0 || size_t(count) > sourceList.size()) return orvhost::kDataSetStatusBadArgument;
    std::vector<int> list;
    for (int i = 0; i < count; ++i) {
        const Variable *variable = source->variable(std::abs(sourceList[size_t(i)]));
        int number = target->findVariable(variable->name);
        if (number == 0) return orvhost::kDataSetStatusNotFound;
        list.push_back(sourceList[size_t(i)] < 0 ? -number : number);
    }
    return target->setByList(std::move(list), source->notSorted());
}

int64_t xonote(void *dataSetHandle, int)
{
    if (InputDataSet *input = store().findInput(dataSetHandle)) return input->currentObservation();
    if (OutputDataSet *output = store().findOutput(dataSetHandle)) return output->rowsWritten();
    return orvhost::kDataSetStatusBadHandle;
}

int xopnt(void *dataSetHandle, int64_t observationNumber)
{
    InputDataSet *input = store().findInput(dataSetHandle);
    if (input == nullptr)
        return store().find(dataSetHandle) != nullptr ? orvhost::kDataSetStatusWrongMode
                                                       : orvhost::kDataSetStatusBadHandle;
    return input->pointTo(observationNumber);
}

/* Clears ORV_DS_STATUS_PENDING and hands the status back; a failure not
 * logged yet is logged with the data set's name.  The handle stays. */
int xofprc(void **dataSetHandleRef, int status, int)
{
    DataSet *dataSet = dataSetHandleRef != nullptr ? store().find(*dataSetHandleRef) : nullptr;
    if (dataSet == nullptr) return status == 0 ? 0 : orvhost::kDataSetStatusBadHandle;
    dataSet->handle.flags &= ~ORV_DS_STATUS_PENDING;
    if (status >= 0) return status; /* success, or the end of a group */
    if (!dataSet->failureLogged(status)) {
        orvhost::Host &host = orvhost::Host::current();
        orvhost::MessageText text =
            orvhost::messageText(host.catalogue(), orvhost::kHostStatusMessageSet, status, {});
        host.log().write(orvhost::logKindOf(text.kind),
                         "The data set " + dataSet->qualifiedName() + ": " + text.text);
        dataSet->noteLoggedFailure(status);
    }
    return status;
}

int xvputi(void *dataSetHandle, int variableCount, int, void **putBindingOut)
{
    if (putBindingOut != nullptr) *putBindingOut = nullptr;
    OutputDataSet *output = store().findOutput(dataSetHandle);
    if (output == nullptr)
        return store().find(dataSetHandle) != nullptr ? orvhost::kDataSetStatusWrongMode
                                                       : orvhost::kDataSetStatusBadHandle;
    if (variableCount < 0 || putBindingOut == nullptr) return orvhost::kDataSetStatusBadArgument;
    if (output->bound() || output->defined()) return orvhost::kDataSetStatusNotDefined;
    PutBindingState *binding = store().newBinding(*output);
    if (binding == nullptr) return orvhost::kDataSetStatusNoMemory;
    output->markBound();
    /* The count is only a hint: a wild one must not ask for memory that
     * would throw out of the service. */
    binding->columns.reserve(std::min(size_t(variableCount), kMostReservedColumns));
    *putBindingOut = &binding->record;
    return 0;
}

/* The descriptor's type decides the column: a number from 8 bytes of
 * buffer, or a text of `length` bytes (the descriptor's length when 0).
 * 0; kDataSetStatusBadHandle; kDataSetStatusNotDefined after xvpute;
 * kDataSetStatusBadArgument (a bad or repeated name is logged and keeps the
 * data set from being put in place). */
int xvputd(void *putBinding, void *descriptor, int, void *buffer, int length, int, int)
{
    PutBindingState *binding = store().findBinding(putBinding);
    if (binding == nullptr) return orvhost::kDataSetStatusBadHandle;
    if (binding->ended) return orvhost::kDataSetStatusNotDefined;
    if (descriptor == nullptr || buffer == nullptr || length < 0)
        return orvhost::kDataSetStatusBadArgument;
    Variable variable = fromDescriptor(*static_cast<const VARIABLE_DESCRIPTOR *>(descriptor));
    int bufferLength = length;
    if (variable.type == VariableType::Numeric) {
        if (length == 0) bufferLength = int(sizeof(double));
        if (bufferLength < int(sizeof(double))) return orvhost::kDataSetStatusBadArgument;
    } else {
        if (length > 0) variable.length = length;
        bufferLength = variable.length;
    }
    auto *output = static_cast<OutputDataSet *>(binding->owner);
    int number = output->addVariable(std::move(variable));
    if (number < 0) return number;
    binding->columns.push_back({number, buffer, bufferLength, nullptr, 0});
    return 0;
}

int xvputcv(void *putBinding, void *inputDataSetHandle, const int *variableNumbers, int count, int)
{
    PutBindingState *binding = store().findBinding(putBinding);
    if (binding == nullptr) return orvhost::kDataSetStatusBadHandle;
    if (binding->ended) return orvhost::kDataSetStatusNotDefined;
    InputDataSet *input = store().findInput(inputDataSetHandle);
    if (input == nullptr) return orvhost::kDataSetStatusBadHandle;
    if (count < 0 || (count > 0 && variableNumbers == nullptr))
        return orvhost::kDataSetStatusBadArgument;
    auto *output = static_cast<OutputDataSet *>(binding->owner);
    for (int i = 0; i < count; ++i) {
        int inputNumber = std::abs(variableNumbers[i]);
        const Variable *variable = input->variable(inputNumber);
        if (variable == nullptr) return orvhost::kDataSetStatusBadArgument;
        Variable copy;
        copy.name = variable->name;
        copy.label = variable->label;
        copy.type = variable->type;
        copy.length = variable->length;
        copy.formatName = variable->formatName;
        copy.formatWidth = variable->formatWidth;
        copy.formatDecimals = variable->formatDecimals;
        copy.informatName = variable->informatName;
        copy.informatWidth = variable->informatWidth;
        copy.informatDecimals = variable->informatDecimals;
        int number = output->addVariable(std::move(copy));
        if (number < 0) return number;
        binding->columns.push_back({number, nullptr, 0, &input->handle, inputNumber});
    }
    return 0;
}

int xvpute(void *putBinding)
{
    PutBindingState *binding = store().findBinding(putBinding);
    if (binding == nullptr) return orvhost::kDataSetStatusBadHandle;
    auto *output = static_cast<OutputDataSet *>(binding->owner);
    orvhost::HostMemory &memory = store().memory();
    if (memory.attemptFails()) {
        memory.countFailure();
        output->markFailed();
        return orvhost::kDataSetStatusNoMemory;
    }
    int status = output->endDefinition();
    if (status != 0) return status;
    for (orvhost::PutColumn &column : binding->columns) {
        column.cell = orvhost::rowCell(*output->variable(column.variable));
        addToMovePlan(*binding, column);
    }
    binding->ended = true;
    return 0;
}

/* row must be the output's own row (handle->row).  Columns copied with
 * xvputcv take the input's current BY values (missing before its first
 * group, or once it was closed).  0; kDataSetStatusBadHandle;
 * kDataSetStatusNotDefined before xvpute; kDataSetStatusBadArgument. */
int xyvput(void *putBinding, int, void *row)
{
    DataSetStore &dataSets = store();
    PutBindingState *binding = dataSets.findBinding(putBinding);
    if (binding == nullptr) return orvhost::kDataSetStatusBadHandle;
    if (!binding->ended) return orvhost::kDataSetStatusNotDefined;
    auto *output = static_cast<OutputDataSet *>(binding->owner);
    if (row == nullptr || row != output->handle.row) return orvhost::kDataSetStatusBadArgument;
    output->noteRowMoved();
    for (const orvhost::PutRun &run : binding->numberRuns) {
        uint8_t *cells = static_cast<uint8_t *>(row) + run.offset;
        if (run.bytes == sizeof(double)) { /* a lone column: one load and store, no call */
            double value;
            std::memcpy(&value, run.source, sizeof value);
            std::memcpy(cells, &value, sizeof value);
        } else {
            std::memmove(cells, run.source, run.bytes);
        }
    }
    for (const orvhost::PutColumn &column : binding->otherColumns) {
        const orvhost::RowCell &cell = column.cell;
        if (column.buffer != nullptr) {
            bufferToRow(column.buffer, column.bufferLength, cell, row);
            continue;
        }
        /* A BY column: the input's current group, missing without one. */
        InputDataSet *input = dataSets.findInput(column.byInput);
        const uint8_t *groupRow = input != nullptr ? input->groupRow() : nullptr;
        if (groupRow != nullptr) {
            const Variable &source = *input->variable(column.inputVariable);
            if (cell.type == VariableType::Numeric)
                bufferToRow(groupRow + source.offset, sizeof(double), cell, row);
            else if (source.length == cell.length) /* mostly: the cell is the input's */
                orvhost::copyShortBytes(static_cast<uint8_t *>(row) + cell.offset, groupRow + source.offset,
                                        size_t(cell.length));
            else
                bufferToRow(groupRow + source.offset, source.length, cell, row);
        } else if (cell.type == VariableType::Numeric) {
            double missing = orvMissing();
            bufferToRow(&missing, sizeof missing, cell, row);
        } else {
            bufferToRow("", 0, cell, row);
        }
    }
    return 0;
}

/* Checks that the listed variables exist (the time-ID set-up calls it with
 * request 66 before using the ID variable).  0; kDataSetStatusBadHandle;
 * kDataSetStatusBadArgument. */
int xffile(void *dataSetHandle, int, int *variableNumbers, int count)
{
    DataSet *dataSet = store().find(dataSetHandle);
    if (dataSet == nullptr) return orvhost::kDataSetStatusBadHandle;
    if (count < 0 || (count > 0 && variableNumbers == nullptr)) return orvhost::kDataSetStatusBadArgument;
    for (int i = 0; i < count; ++i)
        if (dataSet->variable(variableNumbers[i]) == nullptr) return orvhost::kDataSetStatusBadArgument;
    return 0;
}

/* 0 when every listed variable has a format (kind 'F') or informat ('I')
 * that this host knows; 1 when one has none or an unknown one; a negative
 * status for a bad handle or argument. */
int xfrfile(void *, void *dataSetHandle, int kind, int *variableNumbers, int count)
{
    DataSet *dataSet = store().find(dataSetHandle);
    if (dataSet == nullptr) return orvhost::kDataSetStatusBadHandle;
    if ((kind != kFormatKind && kind != kInformatKind) || count < 0 ||
        (count > 0 && variableNumbers == nullptr))
        return orvhost::kDataSetStatusBadArgument;
    for (int i = 0; i < count; ++i) {
        const Variable *variable = dataSet->variable(variableNumbers[i]);
        if (variable == nullptr) return orvhost::kDataSetStatusBadArgument;
        const std::string &name = kind == kFormatKind ? variable->formatName : variable->informatName;
        if (name.empty() || orvhost::formatIdentifier(name) == orvhost::kNoFormat) return 1;
    }
    return 0;
}

int wztxgcli(char *nameBuffer, int bufferLength)
{
    if (nameBuffer == nullptr || bufferLength <= 0) return orvhost::kDataSetStatusBadArgument;
    std::string_view name = currentLocaleName();
    return putText(nameBuffer, size_t(bufferLength), name.empty() ? "." : name);
}

int wztxgln(int localeId, char *nameBuffer, int bufferLength)
{
    /* -1 names the current locale; this host keeps no table of others. */
    if (localeId != -1) return orvhost::kDataSetStatusNoLocale;
    return wztxgcli(nameBuffer, bufferLength);
}

}  // namespace host_routines
