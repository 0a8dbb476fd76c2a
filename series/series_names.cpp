/*
 * series_names.cpp - the name tables of accumulation methods,
 * transformations and fit statistics, and the identity of a data set (see
 * series_names.h).
 */
#include "series/series_names.h"

#include <cstring>
#include <iterator>

#include "host/services.h"
#include "host/text_fields.h"

namespace {

struct NamedCode {
    const char *name;
    int length;
    int label;
};

/* ORDER ZTS_ACCUM. */
constexpr NamedCode kAccumulations[] = {
    {"NONE", 4, 1300},    {"TOTAL", 5, 1301},   {"AVERAGE", 7, 1302}, {"FIRST", 5, 1303},
    {"LAST", 4, 1304},    {"MINIMUM", 7, 1305}, {"MAXIMUM", 7, 1306}, {"MEDIAN", 6, 1307},
    {"STD", 3, 1308},     {"USS", 3, 1309},     {"CSS", 3, 1310},     {"NOBS", 4, 1311},
    {"N", 1, 1312},       {"NMISS", 5, 1313},
};
static_assert(std::size(kAccumulations) == ZTS_ACC_COUNT);
constexpr NamedCode kUnknownAccumulation = {"UNKNOWN", 7, 1350};

struct TransformName {
    int code;
    NamedCode named;
};
constexpr TransformName kTransforms[] = {
    {ZTS_TRANS_NONE, {"NONE    ", 8, 1500}},  {ZTS_TRANS_LOG, {"LOG     ", 8, 1501}},
    {ZTS_TRANS_SQRT, {"SQRT    ", 8, 1502}},  {ZTS_TRANS_LOGIT, {"LOGIT   ", 8, 1503}},
    {ZTS_TRANS_BOXCOX, {"BOXCOX  ", 8, 1504}}, {ZTS_TRANS_AUTO, {"AUTO", 4, 1505}},
};
constexpr NamedCode kUnknownTransform = {"UNKNOWN", 7, 1599};

/* ORDER code. */
constexpr ZtsFitStat kFitStats[] = {
    {1, "SSE", 1231},      {2, "MSE", 1232},      {3, "RMSE", 1233},     {4, "UMSE", 1234},
    {5, "URMSE", 1235},    {10, "RSQUARE", 1240}, {11, "ADJ_RSQ", 1241}, {12, "A_ADJ_RSQ", 1242},
    {13, "RW_RSQ", 1243},  {20, "AIC", 1250},     {21, "SBC", 1251},     {22, "APC", 1252},
    {23, "AICC", 1253},    {30, "MINERR", 1260},  {31, "MAXERR", 1261},  {32, "ME", 1262},
    {33, "MAE", 1263},     {40, "MINPE", 1270},   {41, "MAXPE", 1271},   {42, "MPE", 1272},
    {43, "MAPE", 1273},    {44, "MDAPE", 1274},   {45, "GMAPE", 1275},   {50, "MINSPE", 1280},
    {51, "MAXSPE", 1281},  {52, "MSPE", 1282},    {53, "SMAPE", 1283},   {54, "MDASPE", 1284},
    {55, "GMASPE", 1285},  {60, "MINRE", 1290},   {61, "MAXRE", 1291},   {62, "MRE", 1292},
    {63, "MRAE", 1293},    {64, "MDRAE", 1294},   {65, "GMRAE", 1295},   {70, "MINPPE", 1264},
    {71, "MAXPPE", 1265},  {72, "MPPE", 1266},    {73, "MAPPE", 1267},   {74, "MDAPPE", 1268},
    {75, "GMAPPE", 1269},  {80, "MINAPES", 1255}, {81, "MAXAPES", 1256}, {82, "MAPES", 1257},
    {83, "MDAPES", 1258},  {84, "GMAPES", 1259},  {85, "MASE", 1254},
};
constexpr NamedCode kUnknownFitStat = {"UNKNOWN", 7, 1299};

/* ORDER lookup: the order names are tried in. */
constexpr ZtsFitBinding kBindings[] = {
    {"SSE", 1},      {"MSE", 2},      {"RMSE", 3},     {"UMSE", 4},     {"URMSE", 5},
    {"RSQUARE", 10}, {"ADJ_RSQ", 11}, {"A_ADJ_RSQ", 12}, {"RW_RSQ", 13}, {"AIC", 20},
    {"AICC", 23},    {"SBC", 21},     {"APC", 22},     {"MINERR", 30},  {"MAXERR", 31},
    {"ME", 32},      {"MAE", 33},     {"MINPE", 40},   {"MAXPE", 41},   {"MPE", 42},
    {"MAPE", 43},    {"MDAPE", 44},   {"GMAPE", 45},   {"MINSPE", 50},  {"MAXSPE", 51},
    {"MSPE", 52},    {"SMAPE", 53},   {"MDASPE", 54},  {"MINRE", 60},   {"MAXRE", 61},
    {"MRE", 62},     {"MRAE", 63},    {"MDRAE", 64},   {"GMRAE", 65},   {"MINPPE", 70},
    {"MAXPPE", 71},  {"MPPE", 72},    {"MAPPE", 73},   {"MDAPPE", 74},  {"GMAPPE", 75},
    {"GMASPE", 55},  {"MASE", 85},    {"MINAPES", 80}, {"MAXAPES", 81}, {"MAPES", 82},
    {"MDAPES", 83},  {"GMAPES", 84},
};
static_assert(std::size(kBindings) == 47);
static_assert(std::size(kFitStats) == std::size(kBindings));

/* Names ZTSAccNameToCode accepts, in the order they are tried. */
struct AccName {
    const char *name;
    int code;
};
constexpr AccName kAccNames[] = {
    {"NONE", 0}, {"TOTAL", 1}, {"AVG", 2}, {"AVERAGE", 2}, {"FIRST", 3}, {"MIN", 5}, {"MAX", 6},
    {"MED", 7},  {"STD", 8},   {"USS", 9}, {"CSS", 10},    {"NOBS", 11}, {"N", 12},  {"NMISS", 13},
};

void writeName(const NamedCode &named, ORV_COUNTED_NAME *name, ORV_COUNTED_LABEL *label)
{
    if (name != nullptr) {
        vzmp(named.name, named.length, name->text, int(sizeof name->text));
        name->length = int16_t(named.length);
    }
    if (label != nullptr) {
        std::memset(label->text, ' ', sizeof label->text);
        int length = xpmstr(label->text, int(sizeof label->text), ZTS_LABEL_MESSAGE_SET, named.label,
                            ORV_MSG_END);
        if (length < 0) length = 0;
        if (length > int(sizeof label->text)) length = int(sizeof label->text);
        /* The host ends a short text with a NUL; the field is blank-padded. */
        std::memset(label->text + length, ' ', sizeof label->text - size_t(length));
        label->length = int16_t(length);
    }
}

}  // namespace

std::span<const ZtsFitStat> ztsFitStatTable() { return kFitStats; }
std::span<const ZtsFitBinding> ztsFitStatBindings() { return kBindings; }

int ZTSAccCodeName(int code, ORV_COUNTED_NAME *name, ORV_COUNTED_LABEL *label)
{
    const bool known = code >= 0 && code < ZTS_ACC_COUNT;
    writeName(known ? kAccumulations[code] : kUnknownAccumulation, name, label);
    return known ? 0 : -1;
}

int ZTSTransCodeName(int code, ORV_COUNTED_NAME *name, ORV_COUNTED_LABEL *label)
{
    for (const TransformName &entry : kTransforms)
        if (entry.code == code) {
            writeName(entry.named, name, label);
            return 0;
        }
    writeName(kUnknownTransform, name, label);
    return -1;
}

int ZTSSelectCodeName(int code, ORV_COUNTED_NAME *name, ORV_COUNTED_LABEL *label)
{
    for (const ZtsFitStat &stat : kFitStats)
        if (stat.code == code) {
            writeName({stat.name, int(std::strlen(stat.name)), stat.label}, name, label);
            return 0;
        }
    writeName(kUnknownFitStat, name, label);
    return -1;
}

int ZTSAccNameToCode(const ORV_COUNTED_NAME *name)
{
    if (name == nullptr) return -1;
    const int length = name->length < 0 ? 0 : name->length > 32 ? 32 : name->length;
    for (const AccName &entry : kAccNames)
        if (wzstcom(name->text, length, entry.name, int(std::strlen(entry.name))) == 0) return entry.code;
    return -1;
}

int ZTSSelectNameToCode(const char *text, int length)
{
    if (text == nullptr || length <= 0) return -1;
    for (const ZtsFitBinding &binding : kBindings)
        if (wzsteqn(text, length, binding.name, int(std::strlen(binding.name))) == 1) return binding.code;
    return -1;
}

int ztsQueryDataSetItems(DATA_SET_HANDLE *handle, char *libref, ORV_COUNTED_NAME *member,
                         ORV_COUNTED_LABEL *label, ORV_COUNTED_DATA_SET_NAME *qualified)
{
    if (handle == nullptr) return 1;
    int first = 0;
    auto ask = [&](int item, void *field) {
        const int status = xoinfo(handle, item, field);
        if (status != 0 && first == 0) first = status;
    };
    ask(ORV_DS_INFO_LIBREF, libref);
    ask(ORV_DS_INFO_MEMBER, member);
    ask(ORV_DS_INFO_LABEL, label);
    ask(ORV_DS_INFO_QUALIFIED_NAME, qualified);
    return first;
}

int ZTSSetDataSetInfo(ZTS_DSINFO *rec, DATA_SET_HANDLE *handle)
{
    if (rec == nullptr) return 1;
    rec->handle = handle;
    return ztsQueryDataSetItems(handle, rec->libref, &rec->member, &rec->label, &rec->qualified);
}
