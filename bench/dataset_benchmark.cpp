/*
 * dataset_benchmark.cpp - write and read throughput of the data-set store,
 * through the services as the modules call them.
 *
 *   dataset_benchmark [benchmark flags] [--rows=N]     (default 2000000)
 *
 * dataset/write writes N observations of a BY variable, a date, a number
 * and a short text to a scratch library; dataset/write_dummies N rows
 * shaped as the VORNAK dummy data set (a name, a date, a value and 25
 * dummies); dataset/read reads the first back BY group by BY group;
 * dataset/read-inferred reads a copy of the file without its sidecar, so
 * that the types are inferred in a pass of their own.  All report
 * bytes_per_second of CSV file, once by
 * the wall clock (/real_time: the file is synced to disk on close, so this
 * figure follows the disk and its other users) and once by the CPU time
 * of the benchmark thread.
 */
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <array>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "platform/host.h"
#include "platform/service_table.h"

namespace {

using namespace host_routines;

long long gRows = 2000000;
std::string gLibrary;

void define(void *binding, const char *name, int type, const char *format, void *slot, int length)
{
    VARIABLE_DESCRIPTOR descriptor;
    xvnamei(&descriptor);
    descriptor.nameLength = int16_t(std::strlen(name));
    std::memcpy(descriptor.name, name, std::strlen(name));
    descriptor.type = type;
    descriptor.formatNameLength = int16_t(std::strlen(format));
    std::memcpy(descriptor.formatName, format, std::strlen(format));
    xvputd(binding, &descriptor, 0, slot, length, 0, 0);
}

/* The member read without a sidecar. */
constexpr const char *kInferredMember = "INFERRED";

DATA_SET_OPEN_REQUEST request(int32_t mode, const char *member = "BENCH")
{
    DATA_SET_OPEN_REQUEST r;
    std::memset(&r, ' ', sizeof r);
    r.libref[0] = 'B';
    const size_t length = std::strlen(member);
    std::memcpy(r.member, member, length);
    r.memberLength = int16_t(length);
    r.mode = mode;
    return r;
}

/* The host of the benchmarks, with library B assigned to the scratch
 * directory. */
orvhost::Host &benchHost()
{
    static std::ostringstream log;
    static orvhost::Host host(log);
    static bool assigned = false;
    if (!assigned) {
        std::string error;
        host.dataSets().libraries().assign("B", gLibrary, error);
        assigned = true;
    }
    return host;
}

/* The label texts "it0" to "it99999", blank-padded to 10 characters,
 * made before any timing. */
const std::vector<std::array<char, 12>> &labels()
{
    static const std::vector<std::array<char, 12>> texts = [] {
        std::vector<std::array<char, 12>> out(100000);
        for (size_t i = 0; i < out.size(); ++i) {
            out[i].fill('\0');
            std::memset(out[i].data(), ' ', 10);
            out[i][0] = 'i';
            out[i][1] = 't';
            std::to_chars(out[i].data() + 2, out[i].data() + 10, i);
        }
        return out;
    }();
    return texts;
}

int64_t fileBytes(const char *file = "bench.csv")
{
    return int64_t(std::filesystem::file_size(gLibrary + "/" + file));
}

/* Writes the benchmark data set B.BENCH of gRows rows. */
void writeDataSet()
{
    benchHost();
    DATA_SET_OPEN_REQUEST out = request(ORV_DS_OPEN_OUTPUT);
    void *handle = nullptr, *binding = nullptr;
    xoopen(&out, &handle);
    auto *output = static_cast<DATA_SET_HANDLE *>(handle);
    double group = 0, date = 0, value = 0;
    char text[12];
    xvputi(output, 4, 32, &binding);
    define(binding, "group", ORV_VAR_NUMERIC, "", &group, 8);
    define(binding, "date", ORV_VAR_NUMERIC, "DATE", &date, 8);
    define(binding, "value", ORV_VAR_NUMERIC, "", &value, 8);
    define(binding, "label", ORV_VAR_CHARACTER, "", text, sizeof text);
    xvpute(binding);
    for (long long i = 0; i < gRows; ++i) {
        group = double(i / 1000);
        date = double(21915 + i % 365);
        value = double(i) / 7.0;
        std::memcpy(text, labels()[size_t(i % 100000)].data(), sizeof text);
        xyvput(binding, 0, output->row);
        output->write(output);
    }
    xoclose(output);
}

/* Dummy columns of the B.DUMMIES rows, as the VORNAK dummy data set has. */
constexpr int kDummies = 25;
/* Rows of one series (ten years of days). */
constexpr long long kSeriesDays = 3653;

/* Writes B.DUMMIES of gRows rows shaped as the VORNAK dummy data set: a
 * series name, a date, a value and kDummies columns of 0 with a rare 1,
 * the numbers moved from adjoining buffers as the dummy writer moves them. */
void writeDummies()
{
    benchHost();
    DATA_SET_OPEN_REQUEST out = request(ORV_DS_OPEN_OUTPUT, "DUMMIES");
    void *handle = nullptr, *binding = nullptr;
    xoopen(&out, &handle);
    auto *output = static_cast<DATA_SET_HANDLE *>(handle);
    double date = 0, value = 0, dummies[kDummies] = {};
    char series[8];
    xvputi(output, kDummies + 3, 32, &binding);
    define(binding, "series", ORV_VAR_CHARACTER, "", series, sizeof series);
    define(binding, "date", ORV_VAR_NUMERIC, "DATE", &date, 8);
    define(binding, "value", ORV_VAR_NUMERIC, "", &value, 8);
    for (int d = 0; d < kDummies; ++d) {
        const std::string name = "event" + std::to_string(d);
        define(binding, name.c_str(), ORV_VAR_NUMERIC, "", &dummies[d], 8);
    }
    xvpute(binding);
    for (long long i = 0; i < gRows; ++i) {
        if (i % kSeriesDays == 0) std::snprintf(series, sizeof series, "S%05lld", i / kSeriesDays % 100000);
        date = double(18628 + i % kSeriesDays);
        value = double(i % 1000);
        /* One dummy changes per row; about one in 15 is 1. */
        dummies[i % kDummies] = (i / kDummies) % 15 == 0 ? 1 : 0;
        xyvput(binding, 0, output->row);
        output->write(output);
    }
    xoclose(output);
}

/* Reads B.member by groups of its first variable; returns the rows read. */
long long readDataSet(const char *member)
{
    benchHost();
    double date = 0, value = 0;
    char text[12];
    DATA_SET_OPEN_REQUEST in = request(ORV_DS_OPEN_INPUT, member);
    void *handle = nullptr;
    xoopen(&in, &handle);
    auto *input = static_cast<DATA_SET_HANDLE *>(handle);
    benchHost().dataSets().setByList(input, {1}, false);
    void *fetch = nullptr;
    xvgeti(input, 3, &fetch);
    xvgetd(fetch, 2, 0, &date, 8, 8, 0, 0);
    xvgetd(fetch, 3, 0, &value, 8, 8, 0, 0);
    xvgetd(fetch, 4, 1, text, sizeof text, sizeof text, 0, 0);
    xvgete(fetch);
    long long read = 0;
    void *ref = input;
    while (xbynext(input) > 0)
        while (xybyget(&ref) == 0) {
            xyvget(fetch, 0, input->row);
            ++read;
        }
    xoclose(input);
    return read;
}

void datasetWrite(benchmark::State &state)
{
    labels();
    for (auto _ : state) writeDataSet();
    state.SetBytesProcessed(int64_t(state.iterations()) * fileBytes());
    state.counters["rows"] = double(gRows);
}
BENCHMARK(datasetWrite)->Name("dataset/write")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(datasetWrite)->Name("dataset/write")->Unit(benchmark::kMillisecond);

void datasetWriteDummies(benchmark::State &state)
{
    for (auto _ : state) writeDummies();
    state.SetBytesProcessed(int64_t(state.iterations()) * fileBytes("dummies.csv"));
    state.counters["rows"] = double(gRows);
}
BENCHMARK(datasetWriteDummies)->Name("dataset/write_dummies")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(datasetWriteDummies)->Name("dataset/write_dummies")->Unit(benchmark::kMillisecond);

void datasetRead(benchmark::State &state)
{
    writeDataSet();
    for (auto _ : state) {
        if (readDataSet("BENCH") != gRows)
            state.SkipWithError("the rows read differ from those written");
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * fileBytes());
    state.counters["rows"] = double(gRows);
}
BENCHMARK(datasetRead)->Name("dataset/read")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(datasetRead)->Name("dataset/read")->Unit(benchmark::kMillisecond);

void datasetReadInferred(benchmark::State &state)
{
    writeDataSet();
    std::filesystem::copy_file(gLibrary + "/bench.csv", gLibrary + "/inferred.csv",
                               std::filesystem::copy_options::overwrite_existing);
    for (auto _ : state) {
        if (readDataSet(kInferredMember) != gRows)
            state.SkipWithError("the rows read differ from those written");
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * fileBytes());
    state.counters["rows"] = double(gRows);
}
BENCHMARK(datasetReadInferred)
    ->Name("dataset/read-inferred")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(datasetReadInferred)->Name("dataset/read-inferred")->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--rows=", 7) == 0) {
            gRows = std::atoll(argv[i] + 7);
        } else {
            std::fprintf(stderr, "usage: dataset_benchmark [benchmark flags] [--rows=N]\n");
            return 2;
        }
    }
    if (gRows < 1) return 2;
    char pattern[] = "/tmp/orvds-bench-XXXXXX";
    if (mkdtemp(pattern) == nullptr) return 1;
    gLibrary = pattern;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(pattern);
    return 0;
}
