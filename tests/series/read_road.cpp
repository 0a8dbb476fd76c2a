/*
 * read_road.cpp - the test-only read-road driver (see read_road.h).
 */
#include "tests/series/read_road.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "host/row_store.h"
#include "host/services.h"
#include "interval/interval_names.h"
#include "platform/host.h"
#include "series/series_aux.h"
#include "series/series_bind.h"
#include "series/series_names.h"
#include "series/series_timing.h"
#include "tests/support/module_host.h"

namespace orvtest {

namespace {

constexpr int kByListRequest = 85;

/* Which of the data sets the context's auxInfo names as failed. */
int failedDataSet(const ZTS_PROC &ctx, const std::vector<DATA_SET_HANDLE *> &handles)
{
    if (ctx.auxInfo.failedHandle == nullptr) return -1;
    for (size_t i = 0; i < handles.size(); ++i)
        if (*ctx.auxInfo.failedHandle == handles[i]) return int(i);
    return -1;
}

RoadGroup readGroup(ZTS_PROC &ctx, const RoadSettings &s, const std::vector<DATA_SET_HANDLE *> &handles)
{
    ZTS_OPS *ops = ctx.ops;
    RoadGroup g;
    ctx.auxInfo.failedHandle = nullptr;
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
    const bool strict = s.aux.empty();
    if (usable) {
        g.obsIndex.assign(ctx.obsIndex, ctx.obsIndex + ctx.obsCount);
        const int64_t count = ctx.timeIds.count;
        for (int32_t i = 0; i < ctx.varCount; ++i) {
            std::vector<double> series(size_t(ctx.obsCount));
            g.getVarStatus.push_back(ops->getVar(&ctx, i, series.data()));
            if (strict) {
                EXPECT_EQ(g.getVarStatus.back(), 0) << "variable " << i;
            }
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
            g.getAccVarStatus.push_back(ops->getAccVar(&ctx, i, g.acc[size_t(i)].data()));
            if (strict) {
                EXPECT_EQ(g.getAccVarStatus.back(), 0) << "variable " << i;
            }
        }
        if (s.lead > 0) g.leadStatus = ops->timeIdAddLead(&ctx, s.lead);
        const int64_t withLead = s.lead > 0 && g.leadStatus == 0 ? count + s.lead : count;
        g.timeIds.assign(ctx.timeIds.ids, ctx.timeIds.ids + withLead);
        if (s.afterGroup) s.afterGroup(ctx);
    }
    g.vars.assign(ctx.vars, ctx.vars + ctx.varCount);
    g.failedDataSet = failedDataSet(ctx, handles);
    if (g.failedDataSet >= 0) g.failedName.assign(ctx.auxInfo.failedName.text, size_t(ctx.auxInfo.failedName.length));
    return g;
}

/* The input description of an open data set. */
ZTS_IOINFO describeInput(DATA_SET_HANDLE *handle)
{
    ZTS_IOINFO io;
    std::memset(&io, 0, sizeof io);
    io.byXofid = handle;
    EXPECT_EQ(ztsQueryDataSetItems(handle, io.libref, &io.member, &io.label, &io.qualified), 0);
    return io;
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

    /* Data sets: the primary, then the auxiliary ones in order. */
    std::vector<DATA_SET_HANDLE *> handles{openInput(s.member)};
    for (const RoadAux &aux : s.aux) handles.push_back(openInput(aux.member));
    auto closeAll = [&] {
        for (DATA_SET_HANDLE *h : handles)
            if (h != nullptr) xoclose(h);
        xmpoold(pool);
    };
    if (std::count(handles.begin(), handles.end(), nullptr) > 0) {
        closeAll();
        return result;
    }
    DATA_SET_HANDLE *handle = handles[0];
    std::vector<int> byNumbers;
    for (const std::string &name : s.by) byNumbers.push_back(variableNumber(handle, name));
    if (!byNumbers.empty()) {
        EXPECT_EQ(moduleHost().dataSets().setByList(handle, byNumbers, false), 0);
    }
    if (s.ownRead) handle->flags &= ~ORV_DS_READS_BY_GROUP;

    std::vector<ZTS_IOINFO> blocks;
    for (DATA_SET_HANDLE *h : handles) blocks.push_back(describeInput(h));
    std::vector<const ZTS_IOINFO *> auxBlocks;
    for (size_t i = 1; i < blocks.size(); ++i) auxBlocks.push_back(&blocks[i]);
    result.bindStatus = s.aux.empty() ? ZTSIOBind(&ctx, nullptr, 0, nullptr)
                                      : ZTSIOBind(&ctx, &blocks[0], int(auxBlocks.size()), auxBlocks.data());
    if (result.bindStatus != 0) {
        closeAll();
        return result;
    }
    if (s.aux.empty()) ctx.ioInfo = blocks[0];
    ZTS_OPS *ops = ctx.ops;

    int32_t byCount = 0;
    int32_t *byVars = nullptr;
    if (!byNumbers.empty()) {
        EXPECT_GE(xbyvinf(handle, &byCount, &byVars, nullptr, nullptr, nullptr, nullptr, kByListRequest), 0);
    }
    /* Every variable with the data set it comes from. */
    std::vector<std::pair<DATA_SET_HANDLE *, std::string>> selected;
    for (const std::string &name : s.vars) selected.emplace_back(handle, name);
    for (size_t a = 0; a < s.aux.size(); ++a)
        for (const std::string &name : s.aux[a].vars) selected.emplace_back(handles[a + 1], name);
    const int32_t varCount = int32_t(selected.size());
    auto *vars = static_cast<ZTS_VAR *>(pool->allocate(pool, sizeof(ZTS_VAR) * size_t(std::max(varCount, 1)), 0x2006));
    result.dataInfoStatus = ops->setDataInfo(&ctx, byCount, byVars, varCount, vars);
    for (int32_t i = 0; i < varCount; ++i) {
        const int32_t role = size_t(i) < s.roles.size() ? s.roles[size_t(i)] : 0;
        DATA_SET_HANDLE *from = selected[size_t(i)].first;
        EXPECT_EQ(ops->setVarInfo(&ctx, i, role, from, variableNumber(from, selected[size_t(i)].second), 0, 0), 0);
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
            result.groups.push_back(readGroup(ctx, s, handles));
        EXPECT_EQ(ops->ioReset(&ctx), 0);
    }
    /* Close the stores and fetches of the context, or of every sub-context
     * of an auxiliary reader. */
    std::vector<ZTS_PROC *> readers{&ctx};
    if (ZTS_AUX *aux = s.aux.empty() ? nullptr : auxRecord(&ctx)) {
        readers.clear();
        for (int32_t i = 0; i < aux->dataSetCount; ++i) readers.push_back(&aux->subs[i]);
    }
    for (ZTS_PROC *reader : readers) {
        if (reader->rawCache.files[0] != nullptr) ztterm(reader->rawCache.files[0], reader->rawCache.files[1]);
        if (reader->accCache.files[0] != nullptr) ztterm(reader->accCache.files[0], reader->accCache.files[1]);
        if (reader->ioInfo.fetch != nullptr) xvgett(reader->ioInfo.fetch);
    }
    ZTSGetIOTiming(&ctx, &result.timingB, &result.timingA);
    closeAll();
    return result;
}

}  // namespace orvtest
