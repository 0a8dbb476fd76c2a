/*
 * series_context_test.cpp - the series context and its operations vector:
 * every slot of the binding, a null context through each slot, a pool that
 * cannot give the vector, the IO-list binding, the getters and setters,
 * the settings with their format and name lookups, zero-to-missing, BY
 * lists, lead time IDs, observation dates, the utility-file pairs and the
 * timer with and without its kernel extension.
 */
#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "host/civil_days.h"
#include "host/format_records.h"
#include "host/missing_values.h"
#include "host/services.h"
#include "interval/interval_names.h"
#include "platform/host.h"
#include "platform/step.h"
#include "series/series_access.h"
#include "series/series_aux.h"
#include "series/series_bind.h"
#include "series/series_io.h"
#include "series/series_settings.h"
#include "series/series_timing.h"
#include "series/series_utilfile.h"
#include "tests/series/read_road.h"
#include "tests/support/module_host.h"

extern "C" void *Exported_QXHandle;

namespace {

const double M = orvMissing();

/* A zeroed context with a pool of its own, deleted with it. */
struct Context {
    ZTS_PROC ctx;
    MEMORY_OBJECT *pool;
    Context()
    {
        orvtest::moduleHost();
        std::memset(&ctx, 0, sizeof ctx);
        pool = static_cast<MEMORY_OBJECT *>(xmpoolc(0, 1024, 6));
        ZTSSetMemPoolInfo(&ctx, pool);
    }
    ~Context() { xmpoold(pool); }
};

void *slotOf(const ZTS_OPS &ops, int slot) { return reinterpret_cast<void *const *>(&ops)[slot]; }

DATA_SET_HANDLE *openT(const char *member)
{
    DATA_SET_OPEN_REQUEST request;
    std::memset(&request, 0, sizeof request);
    std::memset(request.libref, ' ', sizeof request.libref);
    request.libref[0] = 'T';
    std::memset(request.member, ' ', sizeof request.member);
    std::memcpy(request.member, member, std::strlen(member));
    request.memberLength = int16_t(std::strlen(member));
    void *handle = nullptr;
    EXPECT_EQ(xoopen(&request, &handle), 0) << orvtest::takeLog();
    return static_cast<DATA_SET_HANDLE *>(handle);
}

template <class F>
void *address(F f)
{
    return reinterpret_cast<void *>(f);
}

TEST(SeriesContext, BindingFillsEverySlot)
{
    Context c;
    ZTS_IOINFO io{};
    io.readRequest = 11;
    io.libref[0] = 'Q';
    ASSERT_EQ(ZTSIOBind(&c.ctx, &io, 0, nullptr), 0);
    ASSERT_NE(c.ctx.ops, nullptr);
    EXPECT_EQ(c.ctx.ioInfo.readRequest, 11);
    EXPECT_EQ(c.ctx.ioInfo.libref[0], 'Q');
    const std::map<int, void *> expected = {
        {1, address(ztsInSetup)},          {2, address(ztsIOComInit)},
        {3, address(ztsSetDataInfo)},      {4, address(ztsSetIdInfo)},
        {5, address(ztsSetMissing)},       {6, address(ztsSetStart)},
        {7, address(ztsSetEnd)},           {8, address(ztsSetHorizon)},
        {9, address(ztsSetIntervalInfo)},  {10, address(ztsSetIntervalAlignment)},
        {11, address(ztsSetAccumulate)},   {12, address(ztsTimeIDAddLead)},
        {13, address(ztsGetVar)},          {14, address(ztsGetVarPtr)},
        {15, address(ztsAccumulate)},      {16, address(ztsGetAccVar)},
        {17, address(ztsGetAccVarPtr)},    {18, address(ztsIOByNext)},
        {19, address(ztsIOReadNext)},      {20, address(ztsIOReset)},
        {21, address(ztsCheckIDVar)},      {22, address(ztsCheckSelVar)},
        {23, address(ztsSetVarInfo)},      {24, address(ztsCheckByVar)},
        {25, address(ztsFinishVars)},      {26, address(ztsSetIDFormat)},
        {27, address(ztsSetZeroMiss)},     {28, address(ztsSetTrimMiss)},
        {29, address(ztsImportByList)},    {30, address(ztsIOBySync)},
        {31, address(ztsSetSeasonality)},
    };
    EXPECT_EQ(slotOf(*c.ctx.ops, 0), nullptr);
    for (const auto &[slot, function] : expected) EXPECT_EQ(slotOf(*c.ctx.ops, slot), function) << "slot " << slot;
}

TEST(SeriesContext, NullContextThroughEverySlot)
{
    Context c;
    ASSERT_EQ(ZTSIOBind(&c.ctx, nullptr, 0, nullptr), 0);
    ZTS_OPS &ops = *c.ctx.ops;
    ZTS_PROC *none = nullptr;
    double value = 0, *pointer = nullptr;
    ZINT_DESC interval{};
    FORMAT_RECORD format{};
    struct Case {
        int slot;
        int status;
        int got;
    };
    const std::vector<Case> cases = {
        {1, ZTS_NO_CONTEXT, ops.inSetup(none)},
        {2, 1, ops.ioComInit(none)},
        {3, ZTS_NO_CONTEXT, ops.setDataInfo(none, 0, nullptr, 0, nullptr)},
        {4, ZTS_NO_CONTEXT, ops.setIdInfo(none, nullptr, 1)},
        {5, ZTS_NO_CONTEXT, ops.setMissing(none, 2, 0)},
        {6, ZTS_NO_CONTEXT, ops.setStart(none, 1, 0)},
        {7, ZTS_NO_CONTEXT, ops.setEnd(none, 1, 0)},
        {8, ZTS_NO_CONTEXT, ops.setHorizon(none, 1, 0)},
        {9, ZTS_NO_CONTEXT, ops.setIntervalInfo(none, &interval)},
        {10, ZTS_NO_CONTEXT, ops.setIntervalAlignment(none, 'B')},
        {11, ZTS_NO_CONTEXT, ops.setAccumulate(none, 1)},
        {12, ZTS_NO_CONTEXT, ops.timeIdAddLead(none, 1)},
        {13, ZTS_NO_CONTEXT, ops.getVar(none, 0, &value)},
        {14, ZTS_NO_CONTEXT, ops.getVarPtr(none, 0, &pointer)},
        {15, ZTS_NO_CONTEXT, ops.accumulate(none, 1, 0, 0, 0, 0)},
        {16, ZTS_NO_CONTEXT, ops.getAccVar(none, 0, &value)},
        {17, ZTS_NO_CONTEXT, ops.getAccVarPtr(none, 0, &pointer)},
        {18, 0, ops.ioByNext(none)},
        {19, ZTS_NO_CONTEXT, ops.ioReadNext(none)},
        {20, ZTS_NO_CONTEXT, ops.ioReset(none)},
        {21, 0, ops.checkIdVar(none, nullptr, 1)},
        {22, 0, ops.checkSelVar(none, -1, nullptr, 1, 0)},
        {23, ZTS_NO_CONTEXT, ops.setVarInfo(none, 0, 0, nullptr, 1, 0, 0)},
        {24, 0, ops.checkByVar(none, nullptr, 1)},
        {25, ZTS_NO_CONTEXT, ops.finishVars(none, 1)},
        {26, ZTS_NO_CONTEXT, ops.setIdFormat(none, &format)},
        {27, ZTS_NO_CONTEXT, ops.setZeroMiss(none, 1, 1)},
        {28, ZTS_NO_CONTEXT, ops.setTrimMiss(none, 1, 1)},
        {29, ZTS_NO_CONTEXT, ops.importByList(none, &c.ctx, 0)},
        {30, ZTS_NO_CONTEXT, ops.ioBySync(none, &c.ctx)},
        {31, ZTS_NO_CONTEXT, ops.setSeasonality(none, 12)},
    };
    EXPECT_EQ(cases.size(), 31u);
    for (const Case &k : cases) EXPECT_EQ(k.got, k.status) << "slot " << k.slot;
}

TEST(SeriesContext, BindingFailuresAndTheIoList)
{
    Context c;
    orvtest::moduleHost().memory().failAllocation(1);
    EXPECT_EQ(ZTSIOBind(&c.ctx, nullptr, 0, nullptr), ZTS_NO_MEMORY);
    EXPECT_EQ(c.ctx.ops, nullptr);
    xmemdef();
    EXPECT_EQ(ZTSIOBind(nullptr, nullptr, 0, nullptr), ZTS_NO_CONTEXT);
    const ZTS_IOINFO *aux[] = {&c.ctx.ioInfo};
    EXPECT_EQ(ZTSIOBind(&c.ctx, nullptr, 1, aux), ZTS_BAD_ARGUMENT);
    ZTS_PROC noPool{};
    EXPECT_EQ(ztsIOBind(&noPool, nullptr), ZTS_NO_MEMORY);

    /* A ring: head -> auxiliary (count 0, left out) -> primary -> head. */
    ZTS_IONODE head{}, skipped{}, primary{};
    head.next = &skipped;
    skipped.next = &primary;
    skipped.kind = ZTS_IONODE_AUXILIARY;
    primary.next = &head;
    primary.kind = ZTS_IONODE_PRIMARY;
    primary.io.readRequest = 77;
    EXPECT_EQ(ZTSIOImport(&c.ctx, &head), 0);
    EXPECT_EQ(c.ctx.ioInfo.readRequest, 77);
    /* An auxiliary node with a count binds the auxiliary reader: slot 0
     * holds its record, with a sub-context per data set. */
    skipped.count = 1;
    skipped.io.readRequest = 55;
    EXPECT_EQ(ZTSIOImport(&c.ctx, &head), 0);
    ZTS_AUX *auxRecordOfImport = auxRecord(&c.ctx);
    ASSERT_NE(auxRecordOfImport, nullptr);
    EXPECT_EQ(auxRecordOfImport->dataSetCount, 2);
    EXPECT_EQ(auxRecordOfImport->subs[0].ioInfo.readRequest, 77);
    EXPECT_EQ(auxRecordOfImport->subs[1].ioInfo.readRequest, 55);
    EXPECT_EQ(c.ctx.ops->ioReadNext, auxIOReadNext);
    ZTS_IONODE lonely{};
    lonely.next = &lonely;
    EXPECT_EQ(ZTSIOImport(&c.ctx, &lonely), ZTS_MISSING_PART);

    /* No list: the step ends with 9999. */
    orvtest::takeLog();
    int rc = 0;
    try {
        ZTSIOImport(&c.ctx, nullptr);
    } catch (const orvhost::StepExit &exit) {
        rc = exit.returnCode;
    }
    EXPECT_EQ(rc, 9999);
    EXPECT_NE(orvtest::takeLog().find("ZTSIOImport: No ZTS_PROC context established"), std::string::npos);
}

/* checkid and finalNobs on contexts set by hand (monthly dates: 1 January
 * 2020 is day 21915, 1 March 21975, 1 May 22036, 1 July 22097). */
TEST(SeriesContext, CheckidAndFinalCountByHand)
{
    ZINT_DESC month{}, custom{};
    orvtest::moduleHost();
    ASSERT_EQ(zintstr("MONTH", -1, &month), 0);
    custom.kind = 'd';
    custom.code = ZINT_CUSTOM;
    struct CheckCase {
        const char *id;
        const ZINT_DESC *interval;
        int32_t unsortedOk;
        double previous, current, minId, maxId;
        int64_t obsCount;
        int status;
        int64_t duplicates, gaps;
    };
    const double jan = 21915, feb = 21946, mar = 21975, may = 22036;
    const std::vector<CheckCase> checks = {
        {"first observation", &month, 0, M, jan, 0, 0, 0, 0, 0, 0},
        {"missing", &month, 0, jan, M, jan, jan, 1, ZTS_MISSING_ID, 0, 0},
        {"next month", &month, 0, jan, feb, jan, jan, 1, 0, 0, 0},
        {"same month", &month, 0, jan, jan + 3, jan, jan, 1, 0, 1, 0},
        {"gap", &month, 0, jan, may, jan, jan, 1, 0, 0, 1},
        {"below the maximum", &month, 0, mar, feb, jan, mar, 2, ZTS_NOT_ASCENDING, 0, 0},
        {"custom skips the spacing", &custom, 0, jan, may, jan, jan, 1, 0, 0, 0},
        {"off the range", &month, 0, jan, 7000000, jan, jan, 1, ZTS_OFF_INTERVAL, 0, 0},
        {"unsorted, within", &month, 1, jan, feb, jan, mar, 2, 0, 0, 0},
        {"unsorted, off the range", &month, 1, jan, -7000000, jan, mar, 2, ZTS_OFF_INTERVAL, 0, 0},
    };
    for (const CheckCase &k : checks) {
        SCOPED_TRACE(k.id);
        Context c;
        c.ctx.rawTime.interval = *k.interval;
        c.ctx.rawTime.unsortedOk = k.unsortedOk;
        c.ctx.rawTime.previous = k.previous;
        c.ctx.rawTime.current = k.current;
        c.ctx.minId = k.minId;
        c.ctx.maxId = k.maxId;
        c.ctx.obsCount = k.obsCount;
        EXPECT_EQ(checkid(&c.ctx), k.status);
        EXPECT_EQ(c.ctx.duplicates, k.duplicates);
        EXPECT_EQ(c.ctx.gaps, k.gaps);
    }

    struct CountCase {
        const char *id;
        double minId, maxId, start, end, horizon;
        int64_t count, startOffset, endOffset;
    };
    const std::vector<CountCase> counts = {
        {"data only", feb, may, M, M, M, 4, 0, 0},
        {"START before the data", feb, may, jan, M, M, 5, 1, 0},
        {"END after the data", feb, may, M, 22097, M, 6, 0, 2},
        {"END before START", feb, may, may, jan, M, -3, -3, -4},
        {"horizon before END", feb, may, M, 22097, may, 6, 0, -3},
        {"horizon after the data", feb, may, M, M, 22097, 5, 0, 1},
        {"missing minimum", M, may, M, M, M, -1, 0, 0},
    };
    for (const CountCase &k : counts) {
        SCOPED_TRACE(k.id);
        Context c;
        c.ctx.rawTime.interval = month;
        c.ctx.obsCount = 3;
        c.ctx.minId = k.minId;
        c.ctx.maxId = k.maxId;
        ztsSetStart(&c.ctx, !orvIsMissing(k.start), k.start);
        ztsSetEnd(&c.ctx, !orvIsMissing(k.end), k.end);
        ztsSetHorizon(&c.ctx, !orvIsMissing(k.horizon), k.horizon);
        EXPECT_EQ(finalNobs(&c.ctx), k.count);
        if (k.count >= 0) {
            EXPECT_EQ(c.ctx.startOffset, k.startOffset);
            EXPECT_EQ(c.ctx.endOffset, k.endOffset);
        }
    }
    Context none;
    none.ctx.obsCount = 7;
    EXPECT_EQ(finalNobs(&none.ctx), 7);
    EXPECT_EQ(none.ctx.firstAligned, 1.0);
    none.ctx.obsCount = 0;
    EXPECT_EQ(finalNobs(&none.ctx), 0);
}

TEST(SeriesContext, ObservationEstimates)
{
    orvtest::SeriesLibrary library;
    const char *sidecar = R"({"variables": [{"name": "g", "type": "numeric", "length": 8},
                              {"name": "v", "type": "numeric", "length": 8}]})";
    library.write("six", "g,v\n1,1\n1,2\n1,3\n2,4\n2,5\n2,6\n", sidecar);
    library.write("one", "g,v\n1,1\n", sidecar);
    struct Case {
        const char *id;
        const char *member;
        int32_t byCount;
        int64_t estimate;
    };
    const std::vector<Case> cases = {
        {"six rows", "six", 0, 6},
        {"six rows in BY groups", "six", 1, 6},
        {"one row", "one", 0, 4096},
        {"one row in BY groups", "one", 1, 4096},
    };
    for (const Case &k : cases) {
        SCOPED_TRACE(k.id);
        Context c;
        c.ctx.ioInfo.byXofid = openT(k.member);
        c.ctx.byCount = k.byCount;
        EXPECT_EQ(estimateNobs(&c.ctx), k.estimate);
        EXPECT_EQ(c.ctx.hostObsNumbers, 1);
        xoclose(c.ctx.ioInfo.byXofid);
    }
}

TEST(SeriesContext, GettersAndSetters)
{
    Context c;
    ZTS_PROC &ctx = c.ctx;
    EXPECT_TRUE(orvIsMissing(ZTSGetFirstTimeID(&ctx)));
    EXPECT_TRUE(orvIsMissing(ZTSGetLastTimeID(&ctx)));
    double ids[] = {10, 20, 30};
    ctx.timeIds.ids = ids;
    ctx.timeIds.count = 3;
    ZINT_DESC month{};
    ASSERT_EQ(zintstr("MONTH", -1, &month), 0);
    ctx.rawTime.interval = month;
    ctx.rawTime.seasonality = 12;
    ctx.rawTime.idGiven = 1;
    ctx.rawTime.idVarNo = 4;
    ctx.rawTime.alignment = 'E';
    ctx.accumulateCode = 3;
    ctx.accumulateSpecified = 1;
    ZTSSetSortForecastVars(&ctx, 5);

    EXPECT_EQ(ZTSGetFirstTimeID(&ctx), 10);
    EXPECT_EQ(ZTSGetLastTimeID(&ctx), 30);
    EXPECT_EQ(ZTSGetNumTimeIDs(&ctx), 3);
    EXPECT_EQ(ZTSGetTimeID(&ctx), ids);
    EXPECT_EQ(ZTSIsTimeIdSpecified(&ctx), 1);
    EXPECT_EQ(ZTSGetTimeIDVarNo(&ctx), 4);
    EXPECT_EQ(*ZTSGetIntervalAlignment(&ctx), 'E');
    EXPECT_EQ(ZTSGetAccumulateCode(&ctx), 3);
    EXPECT_EQ(ZTSIsAccumulateSpecified(&ctx), 1);
    EXPECT_EQ(ZTSGetSortForecastVars(&ctx), 5);
    ZINT_DESC out{};
    EXPECT_EQ(ZTSGetInterval(&out, &ctx), &out);
    EXPECT_EQ(std::memcmp(&out, &month, sizeof out), 0);
    ZINT_SEAS seas;
    std::memset(&seas, 0xAB, sizeof seas);
    EXPECT_EQ(ZTSGetIntervalX(&seas, &ctx), &seas);
    EXPECT_EQ(seas.interval.code, ZINT_MONTH);
    EXPECT_EQ(seas.seasonCount, 12);
    EXPECT_EQ(seas.customRef, nullptr);
    EXPECT_EQ(seas.seasonCycle, nullptr);
    EXPECT_EQ(seas.formatNameLength, 0);
    EXPECT_EQ(ZTSComputeTimeIDs(), 0);
    ctx.timeIds.ids = nullptr;
    ctx.timeIds.count = 0;
}

TEST(SeriesContext, SettingsOfTheTimeIdAndAccumulation)
{
    Context c;
    ZTS_PROC &ctx = c.ctx;
    int64_t dateCode = 0, charCode = 0;
    ASSERT_EQ(xfrname(nullptr, "DATE", 4, ORV_FORMAT_KIND_FORMAT, nullptr, &dateCode), 0);
    ASSERT_EQ(xfrname(nullptr, "$CHAR", 5, ORV_FORMAT_KIND_FORMAT, nullptr, &charCode), 0);
    FORMAT_RECORD characterFormat{8, 0, {}, charCode};
    EXPECT_EQ(ztsSetIDFormat(&ctx, &characterFormat), ZTS_BAD_ARGUMENT);
    EXPECT_EQ(ctx.rawTime.fmtGiven, 0);
    FORMAT_RECORD dateFormat{9, 0, {}, dateCode};
    EXPECT_EQ(ztsSetIDFormat(&ctx, &dateFormat), 0);
    EXPECT_EQ(ctx.rawTime.fmtGiven, 1);
    EXPECT_EQ(ctx.rawTime.fmtCode, dateCode);
    EXPECT_EQ(ctx.rawTime.fmtWidth, 9);
    EXPECT_EQ(ctx.rawTime.fmtMinWidth, 9);
    EXPECT_EQ(std::string(ctx.rawTime.fmtText.text, size_t(ctx.rawTime.fmtText.length)), "DATE9.");

    /* No ID variable: the block is still copied, the final array kept. */
    double own[2] = {1, 2};
    ctx.timeIds.ids = own;
    ctx.timeIds.count = 2;
    ctx.rawTime.idGiven = 1;
    ctx.rawTime.alignment = 'M';
    EXPECT_EQ(ztsSetIdInfo(&ctx, nullptr, -1), 0);
    EXPECT_EQ(ctx.rawTime.idGiven, 0);
    EXPECT_EQ(ctx.timeIds.idGiven, 0);
    EXPECT_EQ(ctx.timeIds.alignment, 'M');
    EXPECT_EQ(ctx.timeIds.ids, own);
    EXPECT_EQ(ctx.timeIds.count, 2);
    ctx.timeIds.ids = nullptr;
    ctx.timeIds.count = 0;

    EXPECT_EQ(ztsSetAccumulate(&ctx, 12), 0);
    EXPECT_EQ(ctx.accumulateCode, 12);
    EXPECT_EQ(std::string(ctx.accumulateName.text, size_t(ctx.accumulateName.length)), "N");
    EXPECT_GT(ctx.accumulateLabel.length, 0);
    EXPECT_EQ(ztsSetAccumulate(&ctx, 14), -1);
    EXPECT_EQ(std::string(ctx.accumulateName.text, size_t(ctx.accumulateName.length)), "UNKNOWN");

    struct IntervalCase {
        const char *interval;
        const char *format;
        uint8_t datetime;
    };
    for (const IntervalCase &k : {IntervalCase{"MONTH", "MONYY", 0}, IntervalCase{"QTR", "YYQC", 0},
                                  IntervalCase{"DTMONTH", "DTMONYY", 1}}) {
        SCOPED_TRACE(k.interval);
        Context fresh;
        ZINT_DESC interval{};
        ASSERT_EQ(zintstr(k.interval, -1, &interval), 0);
        EXPECT_EQ(ztsSetIntervalInfo(&fresh.ctx, &interval), 0);
        const ZTS_TIMEID &raw = fresh.ctx.rawTime;
        EXPECT_EQ(std::string(raw.intervalName.text, size_t(raw.intervalName.length)), k.interval);
        EXPECT_EQ(std::string(raw.fmtName.text, size_t(raw.fmtName.length)), k.format);
        int64_t code = 0;
        ASSERT_EQ(xfrname(nullptr, k.format, int(std::strlen(k.format)), ORV_FORMAT_KIND_FORMAT, nullptr, &code), 0);
        EXPECT_EQ(raw.fmtCode, code);
        EXPECT_EQ(raw.isDatetime, k.datetime);
    }
    EXPECT_EQ(ztsSetIntervalInfo(&ctx, nullptr), ZTS_BAD_ARGUMENT);
}

TEST(SeriesContext, ZeroToMissing)
{
    struct Case {
        const char *id;
        std::vector<double> values;
        int mode;
        std::vector<double> expected;
    };
    const std::vector<Case> cases = {
        {"both", {0, 0, 5, 0}, 3, {M, M, 5, M}},
        {"leading", {0, 1e-160, 5, 0}, 1, {M, M, 5, 0}},
        {"trailing", {0, 5, 0, 0}, 2, {0, 5, M, M}},
        {"zeros only", {0, 0, 0}, 3, {0, 0, 0}},
        {"missing ends the run", {0, M, 0, 4}, 1, {M, M, 0, 4}},
        {"nothing to do", {1, 2}, 3, {1, 2}},
        {"mode 0", {0, 2}, 0, {0, 2}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        std::vector<double> values = c.values;
        EXPECT_EQ(applyzeromiss(values.data(), int64_t(values.size()), c.mode), 0);
        for (size_t i = 0; i < values.size(); ++i)
            EXPECT_EQ(std::bit_cast<uint64_t>(values[i]), std::bit_cast<uint64_t>(c.expected[i])) << i;
    }
}

TEST(SeriesContext, SeriesAccessBeforeAnyGroupAndLeadWithoutInterval)
{
    Context c;
    ZTS_PROC &ctx = c.ctx;
    ASSERT_EQ(ZTSIOBind(&ctx, nullptr, 0, nullptr), 0);
    ctx.varCount = 1;
    ctx.rawCache.seriesCount = ctx.accCache.seriesCount = 1;
    double out = 0, *pointer = nullptr;
    EXPECT_EQ(ztsGetAccVar(&ctx, 0, &out), ZTS_NO_IDS);
    EXPECT_EQ(ztsGetVarPtr(&ctx, 0, &pointer), ZTS_NO_IDS);
    EXPECT_EQ(ztsGetVar(&ctx, 1, &out), ZTS_BAD_ARGUMENT);
    EXPECT_EQ(ztsGetAccVar(&ctx, -1, &out), ZTS_BAD_ARGUMENT);
    EXPECT_EQ(ztsAccumulate(&ctx, 1, 0, 0, 0, 0), ZTS_NO_IDS);

    /* Twelve observations without an interval: leads 13, 14, 15. */
    ctx.obsCount = 12;
    ctx.timeIds.count = 12;
    ctx.timeIds.capacity = 12;
    ctx.timeIds.ids = static_cast<double *>(c.pool->allocate(c.pool, 12 * sizeof(double), 0x2006));
    for (int i = 0; i < 12; ++i) ctx.timeIds.ids[i] = i + 1;
    EXPECT_EQ(ztsTimeIDAddLead(&ctx, 3), 0);
    EXPECT_EQ(ctx.timeIds.count, 12);
    EXPECT_EQ(ctx.timeIds.capacity, 15);
    EXPECT_EQ(ctx.timeIds.ids[11], 12);
    EXPECT_EQ(ctx.timeIds.ids[12], 13);
    EXPECT_EQ(ctx.timeIds.ids[14], 15);
    EXPECT_EQ(ztsTimeIDAddLead(&ctx, -1), ZTS_BAD_ARGUMENT);

    /* With END given the leads follow the aligned END. */
    ZINT_DESC month{};
    ASSERT_EQ(zintstr("MONTH", -1, &month), 0);
    ctx.rawTime.interval = month;
    ctx.rawTime.alignment = 'B';
    ctx.endGiven = 1;
    ctx.end = double(orvDaysFromCivil(2020, 12, 15));
    EXPECT_EQ(ztsTimeIDAddLead(&ctx, 2), 0);
    EXPECT_EQ(ctx.timeIds.ids[12], double(orvDaysFromCivil(2021, 1, 1)));
    EXPECT_EQ(ctx.timeIds.ids[13], double(orvDaysFromCivil(2021, 2, 1)));
    /* A lead beyond the range cannot be computed. */
    ctx.end = double(orvDaysFromCivil(20000, 12, 1));
    EXPECT_EQ(ztsTimeIDAddLead(&ctx, 2), ZTS_NO_LEAD);
}

TEST(SeriesContext, ObservationDates)
{
    Context c;
    ZTS_PROC &ctx = c.ctx;
    ZTS_OBSDATES rec{};
    EXPECT_EQ(ZTSGetObsDates(&ctx, &rec), 1);
    EXPECT_EQ(rec.count, 0);
    EXPECT_EQ(rec.dates, nullptr);

    double ids[] = {0, 31, 60};
    ctx.timeIds.ids = ids;
    ctx.timeIds.count = 3;
    ASSERT_EQ(zintstr("MONTH", -1, &ctx.rawTime.interval), 0);
    EXPECT_EQ(ZTSGetObsDates(&ctx, &rec), 0);
    EXPECT_EQ(rec.count, 3);
    EXPECT_EQ(rec.first, 0);
    EXPECT_EQ(rec.dates[2], 60);
    EXPECT_EQ(rec.interval.interval.code, ZINT_MONTH);
    ctx.timeIds.ids = nullptr;

    ZTS_OBSDATES made{};
    made.first = M;
    EXPECT_EQ(ZTSInitObsDates(3, nullptr, &made, ctx.rawTime.interval), 1);
    EXPECT_EQ(made.pool, nullptr);
    made.first = 45; /* 15 February 1960 */
    EXPECT_EQ(ZTSInitObsDates(0, c.pool, &made, ctx.rawTime.interval), 1);
    EXPECT_EQ(ZTSInitObsDates(3, c.pool, &made, ctx.rawTime.interval), 0);
    EXPECT_EQ(made.pool, c.pool);
    ASSERT_EQ(made.count, 3);
    EXPECT_EQ(made.dates[0], 31);
    EXPECT_EQ(made.dates[1], 60);
    EXPECT_EQ(made.dates[2], 91);
    ZTS_OBSDATES own{};
    own.first = 0;
    EXPECT_EQ(ZTSInitObsDates(2, nullptr, &own, ctx.rawTime.interval), 0);
    EXPECT_NE(own.pool, nullptr);
    EXPECT_EQ(own.dates[1], 31);
    xmpoold(own.pool);
}

TEST(SeriesContext, UtilityFilesResetBoth)
{
    orvtest::moduleHost();
    orvhost::UtilityFiles &files = orvtest::moduleHost().utilityFiles();
    ZTS_UTILFILE rec{};
    EXPECT_EQ(ZTSUtilFileInit(nullptr, 1), 1);
    EXPECT_EQ(ZTSUtilFileReset(&rec), 1);
    ASSERT_EQ(ZTSUtilFileInit(&rec, 42), 0);
    EXPECT_EQ(rec.value, 42);
    const double row[2] = {1, 2};
    ASSERT_EQ(xcwrite(rec.first, row, sizeof row), 0);
    ASSERT_EQ(xcwrite(rec.second, row, sizeof row), 0);
    rec.rows = 1;
    EXPECT_EQ(files.sizeOf(rec.second), 16);
    EXPECT_EQ(ZTSUtilFileReset(&rec), 0);
    EXPECT_EQ(rec.rows, 0);
    EXPECT_EQ(files.sizeOf(rec.first), 0);
    EXPECT_EQ(files.sizeOf(rec.second), 0);
    xcclose(rec.first, 1);
    xcclose(rec.second, 1);
    /* A closed file: the failure is logged and reported. */
    orvtest::takeLog();
    EXPECT_EQ(ZTSUtilFileReset(&rec), 2);
    EXPECT_NE(orvtest::takeLog(), "");
}

TEST(SeriesContext, TimerWithAndWithoutTheExtension)
{
    orvhost::KernelExtensions &kernel = orvtest::moduleHost().controlBlock().kernel();
    void *const published = Exported_QXHandle;
    struct Case {
        const char *id;
        void *handle;
        bool available;
        int64_t a, b;
    };
    const std::vector<Case> cases = {
        {"available", orvtest::moduleHost().controlBlock().gcb()->kernelHandle, true, 2 * ORV_PERF_TIMER_STEP_A,
         2 * ORV_PERF_TIMER_STEP_B},
        {"unavailable", orvtest::moduleHost().controlBlock().gcb()->kernelHandle, false, 0, 0},
        {"no kernel handle", nullptr, true, 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        Exported_QXHandle = c.handle;
        kernel.setPerfTimerAvailable(c.available);
        ZTS_TIMER timer{};
        int64_t totals[4] = {9, 9, 0, 0};
        ZTSInitTiming(&timer, totals);
        EXPECT_EQ(totals[0], 0);
        EXPECT_EQ(totals[1], 0);
        EXPECT_EQ(timer.extension != nullptr, c.available && c.handle != nullptr);
        /* Two timed spans of one read each. */
        for (int span = 0; span < 2; ++span) {
            ZTSStartTiming(&timer, totals);
            ZTSStopTiming(&timer, totals);
        }
        EXPECT_EQ(totals[0], c.a);
        EXPECT_EQ(totals[1], c.b);
    }
    kernel.setPerfTimerAvailable(true);
    Exported_QXHandle = published;

    ZTS_TIMEPAIR pair{7, 8};
    int64_t a = 0, b = 0;
    ZTSGetTiming(&b, &a, pair);
    EXPECT_EQ(a, 7);
    EXPECT_EQ(b, 8);
    ZTSResetTiming(&pair);
    EXPECT_EQ(pair.totalA, 0);
    EXPECT_EQ(pair.totalB, 0);
}

constexpr const char *kSidecar = R"({
  "variables": [
    {"name": "region", "type": "character", "length": 4},
    {"name": "store", "type": "numeric", "length": 8},
    {"name": "date", "type": "numeric", "length": 8, "format": "DATE9."},
    {"name": "sales", "type": "numeric", "length": 8}
  ]
}
)";

TEST(SeriesContext, VariablesAndByLists)
{
    orvtest::SeriesLibrary library;
    library.write("sales", "region,store,date,sales\nEAST,1,2020-01-01,5\n", kSidecar);
    library.write("other", "store,date,sales\n1,2020-01-01,5\n",
                  R"({"variables": [{"name": "store", "type": "numeric", "length": 8},
                      {"name": "date", "type": "numeric", "length": 8}, {"name": "sales", "type": "numeric", "length": 8}]})");
    Context lead, follow;
    DATA_SET_HANDLE *sales = openT("sales");
    DATA_SET_HANDLE *other = openT("other");
    ASSERT_EQ(orvtest::moduleHost().dataSets().setByList(sales, {1, 2}, false), 0);
    lead.ctx.ioInfo.byXofid = sales;
    follow.ctx.ioInfo.byXofid = other;
    int32_t byCount = 0;
    int32_t *byVars = nullptr;
    ASSERT_GE(xbyvinf(sales, &byCount, &byVars, nullptr, nullptr, nullptr, nullptr, 85), 0);
    ZTS_VAR vars[2] = {};
    EXPECT_EQ(ztsSetDataInfo(&lead.ctx, byCount, byVars, 2, vars), 0);
    EXPECT_EQ(ztsSetVarInfo(&lead.ctx, 0, 1, sales, 4, 7, 8), 0);
    EXPECT_EQ(ztsSetVarInfo(&lead.ctx, 1, 2, sales, 3, 0, 0), 0);
    EXPECT_EQ(ztsSetVarInfo(&lead.ctx, 2, 0, sales, 3, 0, 0), ZTS_BAD_ARGUMENT);
    EXPECT_EQ(ztsSetVarInfo(&lead.ctx, 0, 0, other, 3, 0, 0), ZTS_BAD_ARGUMENT);
    EXPECT_EQ(finalizeVar(&lead.ctx, 1, 0, sales, 99, 0, 0, &lead.ctx), ZTS_VAR_FAILURE);
    EXPECT_EQ(ztsSetVarInfo(&lead.ctx, 1, 2, sales, 3, 0, 0), 0);
    EXPECT_EQ(std::string(vars[0].name.text, size_t(vars[0].name.length)), "sales");
    EXPECT_EQ(vars[0].option1, 7);
    EXPECT_EQ(vars[0].owner, &lead.ctx);
    EXPECT_EQ(ztsFinishVars(&lead.ctx, 0), 0);
    EXPECT_EQ(vars[1].position, 1);

    struct Case {
        const char *id;
        int got, expected;
    };
    lead.ctx.rawTime.idVarNo = 3;
    const std::vector<Case> checks = {
        {"sel sales", ztsCheckSelVar(&lead.ctx, -1, sales, 4, 0), 1},
        {"sel date", ztsCheckSelVar(&lead.ctx, -1, sales, 3, 0), 2},
        {"sel date, first one only", ztsCheckSelVar(&lead.ctx, 1, sales, 3, 0), 0},
        {"sel date, role 2", ztsCheckSelVar(&lead.ctx, -1, sales, 3, 2), 2},
        {"sel date, role 1", ztsCheckSelVar(&lead.ctx, -1, sales, 3, 1), 0},
        {"sel other data set", ztsCheckSelVar(&lead.ctx, -1, other, 4, 0), 0},
        {"by region", ztsCheckByVar(&lead.ctx, sales, 1), 1},
        {"by store", ztsCheckByVar(&lead.ctx, sales, 2), 1},
        {"by date", ztsCheckByVar(&lead.ctx, sales, 3), 0},
        {"id date", ztsCheckIDVar(&lead.ctx, sales, 3), 1},
        {"id sales", ztsCheckIDVar(&lead.ctx, sales, 4), 0},
    };
    for (const Case &k : checks) EXPECT_EQ(k.got, k.expected) << k.id;

    /* "other" lacks region: taking the lead's BY list stops at it. */
    EXPECT_EQ(ztsImportByList(&follow.ctx, &lead.ctx, 0), ZTS_BY_MISSING);
    EXPECT_EQ(std::string(follow.ctx.auxInfo.failedName.text, size_t(follow.ctx.auxInfo.failedName.length)), "region");
    EXPECT_EQ(follow.ctx.auxInfo.failedHandle, &follow.ctx.ioInfo.byXofid);
    EXPECT_EQ(follow.ctx.byCount, 0);
    /* A context with a BY list already refuses. */
    EXPECT_EQ(ztsImportByList(&lead.ctx, &follow.ctx, 1), ZTS_BAD_ARGUMENT);
    /* Without a BY list on the other side the list stays empty. */
    EXPECT_EQ(ztsImportByList(&follow.ctx, &follow.ctx, 0), 0);

    /* Synchronising: the follower takes the lead's BY group; once it read
     * observations and the lead moved past its BY variables, it rewinds. */
    Context sync;
    DATA_SET_HANDLE *again = openT("sales");
    sync.ctx.ioInfo.byXofid = again;
    ASSERT_EQ(orvtest::moduleHost().dataSets().setByList(again, {1, 2}, false), 0);
    ASSERT_GE(xbyvinf(again, &sync.ctx.byCount, &sync.ctx.byVars, nullptr, nullptr, nullptr, nullptr, 85), 0);
    lead.ctx.byStatus = xbynext(sales);
    ASSERT_EQ(lead.ctx.byStatus, 1);
    sync.ctx.bySync = 5;
    EXPECT_EQ(ztsIOBySync(&sync.ctx, &lead.ctx), 0);
    EXPECT_EQ(sync.ctx.bySync, 0);
    EXPECT_EQ(sync.ctx.bySyncPrev, 5);
    sync.ctx.obsCount = 1;
    lead.ctx.byStatus = 3;
    EXPECT_EQ(ztsIOBySync(&sync.ctx, &lead.ctx), 0);
    EXPECT_EQ(sync.ctx.bySync, -1);
    EXPECT_EQ(ztsIOBySync(&sync.ctx, nullptr), ZTS_BAD_ARGUMENT);
    xoclose(again);

    /* With missing ones allowed, none found: no list. */
    Context third;
    third.ctx.ioInfo.byXofid = other;
    EXPECT_EQ(ztsImportByList(&third.ctx, &lead.ctx, 1), 0);
    EXPECT_EQ(third.ctx.byCount, 0);
    xoclose(sales);
    xoclose(other);
}

}  // namespace
