/*
 * dataset_benchmark.cpp - read and write throughput of the data-set store,
 * through the services as the modules call them.
 *
 *   dataset_benchmark [ROWS]      (default 1000000)
 *
 * Writes ROWS observations of a BY variable, a date, a number and a short
 * text to a scratch library, then reads them back by BY groups, and prints
 * both rates in MB/s of CSV file.
 */
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sstream>

#include "platform/host.h"
#include "platform/service_table.h"

namespace {

using namespace host_routines;
using Clock = std::chrono::steady_clock;

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

DATA_SET_OPEN_REQUEST request(int32_t mode)
{
    DATA_SET_OPEN_REQUEST r;
    std::memset(&r, ' ', sizeof r);
    r.libref[0] = 'B';
    std::memcpy(r.member, "BENCH", 5);
    r.memberLength = 5;
    r.mode = mode;
    return r;
}

}  // namespace

int main(int argc, char **argv)
{
    long long rows = argc > 1 ? std::atoll(argv[1]) : 1000000;
    if (rows < 1) {
        std::fprintf(stderr, "usage: dataset_benchmark [ROWS]\n");
        return 2;
    }
    char pattern[] = "/tmp/orvds-bench-XXXXXX";
    if (mkdtemp(pattern) == nullptr) return 1;
    std::ostringstream log;
    int result = 0;
    {
        orvhost::Host host(log);
        std::string error;
        host.dataSets().libraries().assign("B", pattern, error);

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
        auto start = Clock::now();
        for (long long i = 0; i < rows; ++i) {
            group = double(i / 1000);
            date = double(21915 + i % 365);
            value = double(i) / 7.0;
            std::snprintf(text, sizeof text, "it%-8lld", i % 100000);
            xyvput(binding, 0, output->row);
            output->write(output);
        }
        xoclose(output);
        double writeSeconds = std::chrono::duration<double>(Clock::now() - start).count();
        double megabytes = double(std::filesystem::file_size(std::string(pattern) + "/bench.csv")) / 1e6;

        DATA_SET_OPEN_REQUEST in = request(ORV_DS_OPEN_INPUT);
        xoopen(&in, &handle);
        auto *input = static_cast<DATA_SET_HANDLE *>(handle);
        host.dataSets().setByList(input, {1}, false);
        void *fetch = nullptr;
        xvgeti(input, 3, &fetch);
        xvgetd(fetch, 2, 0, &date, 8, 8, 0, 0);
        xvgetd(fetch, 3, 0, &value, 8, 8, 0, 0);
        xvgetd(fetch, 4, 1, text, sizeof text, sizeof text, 0, 0);
        xvgete(fetch);
        start = Clock::now();
        long long read = 0;
        void *ref = input;
        while (xbynext(input) > 0)
            while (xybyget(&ref) == 0) {
                xyvget(fetch, 0, input->row);
                ++read;
            }
        double readSeconds = std::chrono::duration<double>(Clock::now() - start).count();
        xoclose(input);
        if (read != rows) {
            std::fprintf(stderr, "read %lld rows of %lld\n%s", read, rows, log.str().c_str());
            result = 1;
        }
        std::printf("rows %lld, file %.1f MB\nwrite %.1f MB/s (%.3f s)\nread  %.1f MB/s (%.3f s)\n",
                    rows, megabytes, megabytes / writeSeconds, writeSeconds,
                    megabytes / readSeconds, readSeconds);
    }
    std::filesystem::remove_all(pattern);
    return result;
}
