/*
 * parse_environment.cpp - the parse environment and its default hooks: the
 * running host's data-set store and the modules' interval-name parser.
 */
#include "platform/parser/parse_environment.h"

#include "host/missing_values.h"
#include "interval/interval_desc.h"
#include "platform/dataset/data_set_store.h"
#include "platform/host.h"

/* The interval-name parser and stepping of the module code linked into orvhost; absent
 * from test binaries that carry only the platform. */
int zintstr(const char *text, int length, ZINT_DESC *desc) __attribute__((weak));
double zintnx2(const ZINT_DESC *desc, double x, double n) __attribute__((weak));
/* The kernel handle of that module code (platform/parser/module_anchors.cpp),
 * through which it loads the custom-interval extension. */
extern "C" void *Exported_QXHandle;

namespace orvhost {
namespace {

/* An output named in a statement (OUT=) is put in place when the step
 * ends with a return code that keeps outputs; the procedures do not close
 * these data sets themselves. */
DATA_SET_HANDLE *openThroughStore(std::string_view libref, std::string_view member, int mode,
                                  std::string &error)
{
    const bool output = mode == kOpenOutput;
    DATA_SET_HANDLE *handle = openDataSet(libref, member, output ? DataSetMode::Output : DataSetMode::Input, error);
    if (output && handle != nullptr) Host::current().dataSets().commitAtStepEnd(handle);
    return handle;
}

int findInStore(DATA_SET_HANDLE *handle, std::string_view name)
{
    DataSet *dataSet = Host::current().dataSets().find(handle);
    return dataSet != nullptr ? dataSet->findVariable(name) : 0;
}

std::string variableNameInStore(DATA_SET_HANDLE *handle, int number)
{
    DataSet *dataSet = Host::current().dataSets().find(handle);
    const Variable *variable = dataSet != nullptr ? dataSet->variable(number) : nullptr;
    return variable != nullptr ? variable->name : std::string{};
}

std::string dataSetNameInStore(DATA_SET_HANDLE *handle)
{
    DataSet *dataSet = Host::current().dataSets().find(handle);
    return dataSet != nullptr ? dataSet->qualifiedName() : std::string{};
}

int setByListInStore(DATA_SET_HANDLE *handle, const std::vector<int> &numbers, bool notSorted)
{
    return Host::current().dataSets().setByList(handle, numbers, notSorted);
}

int parseIntervalName(const char *text, int length, void *descriptor)
{
    if (&zintstr == nullptr) return ZINTSTR_UNKNOWN;
    /* The module code reaches host services through this anchor, and the
     * kernel's extensions through the handle that mcn_main would set. */
    v_global_gcb_anchor = Host::current().controlBlock().gcb();
    Exported_QXHandle = v_global_gcb_anchor->kernelHandle;
    return zintstr(text, length, static_cast<ZINT_DESC *>(descriptor));
}

double stepThroughModuleCode(const void *descriptor, double x, double n)
{
    if (&zintnx2 == nullptr) return orvMissing();
    v_global_gcb_anchor = Host::current().controlBlock().gcb();
    return zintnx2(static_cast<const ZINT_DESC *>(descriptor), x, n);
}

ParseEnvironment makeDefault()
{
    ParseEnvironment environment;
    environment.openDataSet = openThroughStore;
    environment.findVariable = findInStore;
    environment.variableName = variableNameInStore;
    environment.dataSetName = dataSetNameInStore;
    environment.setByList = setByListInStore;
    environment.parseInterval = parseIntervalName;
    environment.stepInterval = stepThroughModuleCode;
    return environment;
}

}  // namespace

ParseEnvironment &parseEnvironment()
{
    static ParseEnvironment environment = makeDefault();
    return environment;
}

}  // namespace orvhost
