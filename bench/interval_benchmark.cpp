/*
 * interval_benchmark.cpp - time per call of the interval library's hot
 * paths on the inputs of bench_inputs.h: INTNX with every alignment and
 * INTCK discrete and continuous over every built-in date and datetime
 * interval (one table, one benchmark per row), the civil-date conversions,
 * and the 25 holidays over 200 years.
 *
 *   interval_benchmark [benchmark flags]
 *
 * Each benchmark iteration makes kBlock calls on consecutive inputs; the
 * counter ns/call is the time per call.  Names: intnx/<interval>/<align>,
 * intck/<interval>/<discrete|continuous>, civil/..., holidays/25x200.
 */
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench/bench_inputs.h"
#include "host/civil_days.h"
#include "interval/holidays.h"
#include "interval/intck.h"
#include "interval/interval_names.h"
#include "interval/intnx.h"
#include "tests/support/module_host.h"

namespace {

using orvbench::kInputCount;

constexpr size_t kBlock = 4096;
static_assert(kInputCount % kBlock == 0);

/* Every built-in date interval (DT forms are made from these), and the
 * shifted ones the speed targets name. */
const char *const kDateIntervals[] = {
    "DAY",     "WEEKDAY", "WEEK",    "WEEKV",   "TENDAY",  "SEMIMONTH", "MONTH",
    "R445MON", "R454MON", "R544MON", "QTR",     "R445QTR", "R454QTR",   "R544QTR",
    "SEMIYEAR", "YEAR",   "R445YR",  "R454YR",  "R544YR",  "YEARV",     "QTR.2",
};
/* Time units, stepped over datetimes. */
const char *const kTimeIntervals[] = {"SECOND", "MINUTE", "HOUR"};
const char kAlignments[] = {'B', 'M', 'E', 'S'};

/* Runs fn(i) for kBlock consecutive input indices per iteration. */
template <typename Fn>
void runCalls(benchmark::State &state, Fn fn)
{
    size_t cursor = 0;
    for (auto _ : state) {
        double sum = 0;
        for (size_t i = cursor; i < cursor + kBlock; ++i) sum += fn(i);
        benchmark::DoNotOptimize(sum);
        cursor = (cursor + kBlock) % kInputCount;
    }
    state.counters["ns/call"] = benchmark::Counter(
        double(kBlock), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

ZINT_DESC parsed(const std::string &name)
{
    orvtest::moduleHost();
    ZINT_DESC desc{};
    if (zintstr(name.c_str(), int(name.size()), &desc) != 0) std::abort();
    return desc;
}

/* The values an interval of this descriptor steps over. */
const std::vector<double> &valuesFor(const ZINT_DESC &desc)
{
    return desc.kind == 's' ? orvbench::inputDateTimes() : orvbench::inputDays();
}

void registerInterval(const std::string &name)
{
    const ZINT_DESC desc = parsed(name);
    for (char align : kAlignments) {
        benchmark::RegisterBenchmark(("intnx/" + name + "/" + align).c_str(),
                                     [desc, align](benchmark::State &state) {
                                         const std::vector<double> &x = valuesFor(desc);
                                         ZINT_DESC cache{};
                                         runCalls(state, [&](size_t i) {
                                             return zintnx3(&desc, align, &cache, x[i],
                                                            orvbench::inputStep(i));
                                         });
                                     });
    }
    /* Counted to a value about a year on (a different input each call). */
    benchmark::RegisterBenchmark(("intck/" + name + "/discrete").c_str(),
                                 [desc](benchmark::State &state) {
                                     const std::vector<double> &x = valuesFor(desc);
                                     runCalls(state, [&](size_t i) {
                                         return zintck2(&desc, x[i], x[(i + 1) % kInputCount]);
                                     });
                                 });
    benchmark::RegisterBenchmark(("intck/" + name + "/continuous").c_str(),
                                 [desc](benchmark::State &state) {
                                     const std::vector<double> &x = valuesFor(desc);
                                     runCalls(state, [&](size_t i) {
                                         return zintck3(&desc, x[i], x[(i + 1) % kInputCount]);
                                     });
                                 });
}

void civilFromDays(benchmark::State &state)
{
    const std::vector<double> &days = orvbench::inputDays();
    runCalls(state, [&](size_t i) {
        const OrvCivilDate date = orvCivilFromDays(int64_t(days[i]));
        return double(date.year + date.month + date.day);
    });
}
BENCHMARK(civilFromDays)->Name("civil/from_days");

void daysFromCivil(benchmark::State &state)
{
    const std::vector<double> &days = orvbench::inputDays();
    runCalls(state, [&](size_t i) {
        const size_t k = i & 0xFFFF;
        return double(orvDaysFromCivil(int64_t(days[k]) % 56 + 1981, int(k % 12) + 1,
                                       int(k % 28) + 1));
    });
}
BENCHMARK(daysFromCivil)->Name("civil/days_from");

/* Every holiday in every year 1901 to 2100: 5000 dates per iteration. */
void holidays25x200(benchmark::State &state)
{
    orvtest::moduleHost();
    for (auto _ : state) {
        double sum = 0;
        for (int code = ZHOL_FIRST_CODE; code <= ZHOL_LAST_CODE; ++code)
            for (int year = 1901; year <= 2100; ++year) sum += zholidat(code, year);
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(holidays25x200)->Name("holidays/25x200")->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    for (const char *name : kDateIntervals) {
        registerInterval(name);
        if (std::string(name) != "QTR.2") registerInterval(std::string("DT") + name);
    }
    for (const char *name : kTimeIntervals) registerInterval(name);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
