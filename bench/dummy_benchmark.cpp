/*
 * dummy_benchmark.cpp - the dummy construction of the benchmark job
 * (bench/dummies.job) alone: the columns of the 25 holiday events for
 * N daily BY groups of 3,653 days (2011-01-01 to 2020-12-31), through the
 * module code as the dummy writer calls it, without reading the input and
 * without writing a row.
 *
 *   dummy_benchmark [benchmark flags] [--groups=N]     (default 1000)
 *
 * One iteration is N groups; the time is that of all N.
 *   dummies/block            the writer's construction, ztsevDummyBlockRows
 *                            once per group (without a summary request),
 *                            every group on the job's one time axis, as in
 *                            the job;
 *   dummies/block_new_axis   the same with each group starting a day after
 *                            the one before, so that no column can be kept
 *                            and every group is built anew;
 *   dummies/per_event        ZTSEVMakeDummy and ZTSEVDummyInfo of each event
 *                            for each group into one array: the
 *                            construction of the writer before the block.
 * Compare with the build step of bench/pandas_dummies.py on the same N
 * (bench/run.sh prints it).
 */
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "event/dummy_block.h"
#include "event/event_dummy.h"
#include "event/event_list.h"
#include "event/event_names.h"
#include "event/event_qualifiers.h"
#include "event/event_registry.h"
#include "tests/event/dummy_series.h"
#include "tests/support/module_host.h"

namespace {

long long gGroups = 1000;

constexpr int64_t kDays = 3653;

/* The job's 25 events, each of one holiday date key, in the job's order. */
const char *const kHolidays[] = {
    "EASTER",       "THANKSGIVING",       "BOXING",     "CANADA",       "CHRISTMAS",
    "FATHERS",      "HALLOWEEN",          "USINDEPENDENCE", "LABOR",    "MEMORIAL",
    "MOTHERS",      "NEWYEAR",            "THANKSGIVINGCANADA", "VALENTINES", "VICTORIA",
    "CANADAOBSERVED", "MLK",              "USPRESIDENTS", "VETERANS",   "VETERANSUSG",
    "VETERANSUSPS", "COLUMBUS",           "JUNETEENTH", "JUNETEENTHUSG", "JUNETEENTHUSPS",
};

/* The event list of the job: EVENTDEF name = name for every holiday. */
ZTSEV_LIST *jobList()
{
    orvtest::moduleHost();
    ZTSEV_LIST *list = ZTSEVNewEventList(nullptr);
    for (const char *name : kHolidays) {
        ZTSEVInitSimpleEvent(list, nullptr, name, 0, nullptr, ZTSEV_KIND_DATE, nullptr);
        ZTSEVCreateEvent(list, name);
        const ORV_COUNTED_NAME key = orvtest::countedName(name);
        if (ZTSEVAddDatekeyToEvent(list, name, &key, 1) != 0) std::abort();
    }
    list->dummyCount = int32_t(std::size(kHolidays));
    return list;
}

/* A daily series block of kDays time IDs from first. */
orvtest::TestSeries daily(double first)
{
    orvtest::TestSeries series;
    orvtest::makeSeries(series, "DAY", first, kDays);
    return series;
}

double firstDay() { return orvtest::day(2011, 1, 1); }

void runBlock(benchmark::State &state, bool newAxis)
{
    ZTSEV_LIST *list = jobList();
    ZTSEV_DUMMY_BLOCK block{};
    std::vector<orvtest::TestSeries> axes;
    for (long long g = 0; g < (newAxis ? gGroups : 1); ++g) axes.push_back(daily(firstDay() + double(g)));
    for (auto _ : state) {
        for (long long g = 0; g < gGroups; ++g) {
            const ZTSEV_SERIES &series = axes[size_t(newAxis ? g : 0)].block;
            if (ztsevDummyBlockRows(list, &block, &series, false) != 0) std::abort();
        }
        benchmark::DoNotOptimize(block.rows[block.count * block.columns - 1]);
    }
    orvtest::takeLog();
}

void blockOneAxis(benchmark::State &state) { runBlock(state, false); }
void blockNewAxis(benchmark::State &state) { runBlock(state, true); }

void perEvent(benchmark::State &state)
{
    ZTSEV_LIST *list = jobList();
    const orvtest::TestSeries axis = daily(firstDay());
    double *values = nullptr;
    for (auto _ : state) {
        for (long long g = 0; g < gGroups; ++g) {
            for (ZTSEV_EVENT *event = list->first; event != nullptr; event = event->next) {
                ZTSEVMakeDummy(list, event, &axis.block, &values, list->basePool);
                ZTSEV_DUMMY info{values, kDays, 0, 0, 0, 0, nullptr};
                ZTSEVDummyInfo(&info);
                benchmark::DoNotOptimize(info.constant);
            }
        }
    }
}

}  // namespace

BENCHMARK(blockOneAxis)->Name("dummies/block")->Unit(benchmark::kMillisecond);
BENCHMARK(blockNewAxis)->Name("dummies/block_new_axis")->Unit(benchmark::kMillisecond);
BENCHMARK(perEvent)->Name("dummies/per_event")->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--groups=", 9) == 0) {
            gGroups = std::atoll(argv[i] + 9);
        } else {
            std::fprintf(stderr, "usage: dummy_benchmark [benchmark flags] [--groups=N]\n");
            return 2;
        }
    }
    if (gGroups < 1) return 2;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
