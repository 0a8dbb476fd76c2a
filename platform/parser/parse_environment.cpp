/*
 * parse_environment.cpp - the parse environment and its default hooks: the
 * running host's data-set store and the modules' interval-name parser.
 */
#include "platform/parser/parse_environment.h"

#include "interval/interval_desc.h"
#include "platform/dataset/data_set_store.h"
#include "platform/host.h"

/* The interval-name parser of the module code linked into orvhost; absent
 * from test binaries that carry only the platform. */
int zintstr(const char *text, int length, ZINT_DESC *desc) __attribute__((weak));
/* The kernel handle of that module code (platform/parser/module_anchors.cpp),
 * through which it loads the custom-interval extension. */
extern "C" void *Exported_QXHandle;

namespace orvhost {
namespace {

DATA_SET_HANDLE *openThroughStore(std::string_view libref, std::string_view member, int mode,
                                  std::string &error)
{
    return openDataSet(libref, member, mode == kOpenOutput ? DataSetMode::Output : DataSetMode::Input,
                       error);
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

ParseEnvironment makeDefault()
{
    ParseEnvironment environment;
    environment.openDataSet = openThroughStore;
    environment.findVariable = findInStore;
    environment.variableName = variableNameInStore;
    environment.dataSetName = dataSetNameInStore;
    environment.setByList = setByListInStore;
    environment.parseInterval = parseIntervalName;
    return environment;
}

}  // namespace

ParseEnvironment &parseEnvironment()
{
    static ParseEnvironment environment = makeDefault();
    return environment;
}

}  // namespace orvhost
