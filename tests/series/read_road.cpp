/*
 * read_road.cpp - the test-only read-road driver (see read_road.h).
 */
#include "tests/series/read_road.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "host/row_store.h"
#include "host/services.h"
#include "interval/interval_names.h"
#include "platform/host.h"
#include "series/series_bind.h"
#include "series/series_names.h"
#include "series/series_timing.h"
#include "tests/support/module_host.h"

namespace orvtest {

namespace {

constexpr int kByListRequest = 85;

RoadGroup readGroup(ZTS_PROC &ctx, const RoadSettings &s)
{
    ZTS_OPS *ops = ctx.ops;
    RoadGroup g;
    g.readStatus = ops->ioReadNext(&ctx);
    g.obsCount = ctx.obsCount;
    g.nonMissingObs = ctx.nonMissingObs;
    g.duplicates = ctx.duplicates;
    g.gaps = ctx.gaps;
    g.startOffset = ctx.startOffset;
    g.endOffset = ctx.endOffset;
    g.minId = ctx.minId;
    g.maxId = ctx.maxId;
    g.firstAligned = ctx.firstAligned;
    g.lastAligned = ctx.lastAligned;
    g.minMaxChanged = ctx.minMaxChanged;
    g.rawIds.assign(ctx.rawTime.ids, ctx.rawTime.ids + ctx.obsCount);
    const bool usable = g.readStatus == 0 || g.readStatus == ZTS_ONE_ID;
    if (usable) {
        g.obsIndex.assign(ctx.obsIndex, ctx.obsIndex + ctx.obsCount);
        const int64_t count = ctx.timeIds.count;
        for (int32_t i = 0; i < ctx.varCount; ++i) {
            std::vector<double> series(size_t(ctx.obsCount));
            EXPECT_EQ(ops->getVar(&ctx, i, series.data()), 0) << "variable " << i;
            g.raw.push_back(series);
        }
        std::vector<int64_t> order = s.accumulateOrder;
        if (order.empty())
            for (int32_t i = 0; i < ctx.varCount; ++i) order.push_back(i);
        for (int64_t i : order) {
            const int status = ops->accumulate(&ctx, s.accumulate, s.setMissing, s.zeroMiss, i, s.setMissingValue);
            if (status != 0 && g.accumulateStatus == 0) g.accumulateStatus = status;
        }
        g.acc.assign(size_t(ctx.varCount), std::vector<double>(size_t(count)));
        for (int32_t i = 0; i < ctx.varCount && g.accumulateStatus == 0; ++i) {
            EXPECT_EQ(ops->getAccVar(&ctx, i, g.acc[size_t(i)].data()), 0) << "variable " << i;
        }
        if (s.lead > 0) g.leadStatus = ops->timeIdAddLead(&ctx, s.lead);
        const int64_t withLead = s.lead > 0 && g.leadStatus == 0 ? count + s.lead : count;
        g.timeIds.assign(ctx.timeIds.ids, ctx.timeIds.ids + withLead);
        if (s.afterGroup) s.afterGroup(ctx);
    }
    g.vars.assign(ctx.vars, ctx.vars + ctx.varCount);
    return g;
}

}  // namespace

int variableNumber(DATA_SET_HANDLE *handle, const std::string &name)
{
    int number = 0;
    EXPECT_EQ(xvfind(handle, name.data(), int(name.size()), &number), 0) << name;
    return number;
}

DATA_SET_HANDLE *openInput(const std::string &member)
{
    DATA_SET_OPEN_REQUEST request;
    std::memset(&request, 0, sizeof request);
    std::memset(request.libref, ' ', sizeof request.libref);
    request.libref[0] = 'T';
    std::memset(request.member, ' ', sizeof request.member);
    std::memcpy(request.member, member.data(), std::min(member.size(), sizeof request.member));
    request.memberLength = int16_t(member.size());
    request.mode = ORV_DS_OPEN_INPUT;
    void *handle = nullptr;
    EXPECT_EQ(xoopen(&request, &handle), 0) << member << "\n" << takeLog();
    return static_cast<DATA_SET_HANDLE *>(handle);
}

SeriesLibrary::SeriesLibrary()
{
    moduleHost();
    char pattern[] = "/tmp/orv-series-XXXXXX";
    EXPECT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    std::string error;
    EXPECT_TRUE(moduleHost().dataSets().libraries().assign("T", dir_, error)) << error;
}

SeriesLibrary::~SeriesLibrary() { std::filesystem::remove_all(dir_); }

void SeriesLibrary::write(const std::string &member, const std::string &csv, const std::string &sidecar) const
{
    std::ofstream(dir_ + "/" + member + ".csv", std::ios::binary) << csv;
    std::ofstream(dir_ + "/" + member + ".meta.json", std::ios::binary) << sidecar;
}

std::string SeriesLibrary::read(const std::string &file) const
{
    std::ifstream in(dir_ + "/" + file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

RoadResult runReadRoad(const RoadSettings &s)
{
    RoadResult result;
    moduleHost();
    ZTS_PROC ctx;
    std::memset(&ctx, 0, sizeof ctx);
    auto *pool = static_cast<MEMORY_OBJECT *>(xmpoolc(0, 1024, 6));
    EXPECT_NE(pool, nullptr);
    ZTSSetMemPoolInfo(&ctx, pool);
    result.bindStatus = ZTSIOBind(&ctx, nullptr, 0, nullptr);
    if (result.bindStatus != 0) {
        xmpoold(pool);
        return result;
    }
    ZTS_OPS *ops = ctx.ops;

    DATA_SET_HANDLE *handle = openInput(s.member);
    if (handle == nullptr) {
        xmpoold(pool);
        return result;
    }
    std::vector<int> byNumbers;
    for (const std::string &name : s.by) byNumbers.push_back(variableNumber(handle, name));
    if (!byNumbers.empty()) {
        EXPECT_EQ(moduleHost().dataSets().setByList(handle, byNumbers, false), 0);
    }
    if (s.ownRead) handle->flags &= ~ORV_DS_READS_BY_GROUP;
    ctx.ioInfo.byXofid = handle;
    EXPECT_EQ(ztsQueryDataSetItems(handle, ctx.ioInfo.libref, &ctx.ioInfo.member, &ctx.ioInfo.label,
                                   &ctx.ioInfo.qualified),
              0);

    int32_t byCount = 0;
    int32_t *byVars = nullptr;
    if (!byNumbers.empty()) {
        EXPECT_GE(xbyvinf(handle, &byCount, &byVars, nullptr, nullptr, nullptr, nullptr, kByListRequest), 0);
    }
    const int32_t varCount = int32_t(s.vars.size());
    auto *vars = static_cast<ZTS_VAR *>(pool->allocate(pool, sizeof(ZTS_VAR) * size_t(varCount), 0x2006));
    EXPECT_EQ(ops->setDataInfo(&ctx, byCount, byVars, varCount, vars), 0);
    for (int32_t i = 0; i < varCount; ++i) {
        const int32_t role = size_t(i) < s.roles.size() ? s.roles[size_t(i)] : 0;
        EXPECT_EQ(ops->setVarInfo(&ctx, i, role, handle, variableNumber(handle, s.vars[size_t(i)]), 0, 0), 0);
    }
    EXPECT_EQ(ops->finishVars(&ctx, varCount), 0);
    DATA_SET_HANDLE *idHandle = handle;
    EXPECT_EQ(ops->setIdInfo(&ctx, &idHandle, s.id.empty() ? -1 : variableNumber(handle, s.id)), 0);
    if (!s.interval.empty()) {
        ZINT_DESC interval{};
        EXPECT_EQ(zintstr(s.interval.c_str(), -1, &interval), 0) << s.interval;
        EXPECT_EQ(ops->setIntervalInfo(&ctx, &interval), 0);
    }
    EXPECT_EQ(ops->setIntervalAlignment(&ctx, s.alignment), 0);
    ops->setAccumulate(&ctx, s.accumulate);
    EXPECT_EQ(ops->setMissing(&ctx, s.setMissing, s.setMissingValue), 0);
    EXPECT_EQ(ops->setStart(&ctx, !orvIsMissing(s.start), s.start), 0);
    EXPECT_EQ(ops->setEnd(&ctx, !orvIsMissing(s.end), s.end), 0);
    EXPECT_EQ(ops->setHorizon(&ctx, !orvIsMissing(s.horizon), s.horizon), 0);
    EXPECT_EQ(ops->setZeroMiss(&ctx, s.zeroMiss, s.zeroMiss != 0), 0);
    /* The procedures write the unsorted flag themselves. */
    ctx.rawTime.unsortedOk = s.unsortedOk;
    if (s.timing) ZTSSetIOTiming(&ctx);

    result.setupStatus = ops->inSetup(&ctx);
    result.comInitStatus = result.setupStatus == 0 ? ops->ioComInit(&ctx) : -1;
    if (result.setupStatus == 0 && result.comInitStatus == 0) {
        for (int guard = 0; guard < 100 && ops->ioByNext(&ctx) > 0; ++guard)
            result.groups.push_back(readGroup(ctx, s));
        EXPECT_EQ(ops->ioReset(&ctx), 0);
        ztterm(ctx.rawCache.files[0], ctx.rawCache.files[1]);
        ztterm(ctx.accCache.files[0], ctx.accCache.files[1]);
    }
    ZTSGetIOTiming(&ctx, &result.timingB, &result.timingA);
    if (ctx.ioInfo.fetch != nullptr) xvgett(ctx.ioInfo.fetch);
    xoclose(handle);
    xmpoold(pool);
    return result;
}

}  // namespace orvtest
