/*
 * format_write.cpp - the benchmark's lower bound: formats and writes the
 * bytes of a dummy data set's CSV file with the host's own CSV writer and
 * number texts, and nothing else.  It loads the file orvhost wrote into
 * memory a chunk of rows at a time (not timed) and writes it again from
 * the values (timed); bench/run.sh compares the bytes.
 *
 *     orv_bench_format_write IN.csv OUT.csv
 *
 * Prints the seconds of formatting and writing; exit status 1 when a file
 * cannot be used.
 */
#include <fcntl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "platform/dataset/csv_writer.h"
#include "platform/dataset/value_text.h"

namespace {

/* Rows parsed per chunk: the values of one chunk are held at a time. */
constexpr size_t kChunkRows = 1 << 20;

/* One chunk of rows: the text column by row and the numbers. */
struct Chunk {
    std::vector<std::string> names;
    std::vector<uint32_t> nameOf;
    std::vector<double> values;
};

/* The longest first field of the rows read so far, once quoted. */
size_t longestName = 0;

/* Parses up to kChunkRows lines of in into chunk (not timed); false at
 * the end of the file. */
bool readChunk(std::ifstream &in, size_t columns, Chunk &chunk)
{
    chunk.names.clear();
    chunk.nameOf.clear();
    chunk.values.clear();
    std::string line;
    while (chunk.nameOf.size() < kChunkRows && std::getline(in, line)) {
        std::string_view row(line);
        size_t comma = row.find(',');
        std::string_view name = row.substr(0, comma);
        if (chunk.names.empty() || chunk.names.back() != name) {
            chunk.names.emplace_back(name);
            longestName = std::max(longestName, orvhost::CsvWriter::quotedBound(name.size()));
        }
        chunk.nameOf.push_back(uint32_t(chunk.names.size() - 1));
        for (size_t c = 1; c < columns; ++c) {
            const size_t next = row.find(',', comma + 1);
            double value = 0;
            orvhost::readNumberCell(row.substr(comma + 1, next - comma - 1), &value);
            chunk.values.push_back(value);
            comma = next;
        }
    }
    return !chunk.nameOf.empty();
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s IN.csv OUT.csv\n", argv[0]);
        return 1;
    }
    std::ifstream in(argv[1], std::ios::binary);
    std::string header;
    if (!std::getline(in, header)) return 1;
    size_t columns = 1;
    for (char c : header) columns += c == ',' ? 1 : 0;

    using Clock = std::chrono::steady_clock;
    Clock::duration spent{};
    auto start = Clock::now();
    orvhost::CsvWriter writer;
    writer.attach(::open(argv[2], O_WRONLY | O_CREAT | O_TRUNC, 0644), argv[2]);
    std::string error;
    size_t h = 0;
    while (h <= header.size()) {
        const size_t comma = std::min(header.find(',', h), header.size());
        writer.field(std::string_view(header).substr(h, comma - h));
        h = comma + 1;
    }
    bool ok = writer.endRecord(error);
    spent += Clock::now() - start;
    Chunk chunk;
    size_t rows = 0;
    while (ok && readChunk(in, columns, chunk)) {
        start = Clock::now();
        const double *v = chunk.values.data();
        orvhost::LastIsoDay lastDay;
        const size_t bound = columns * (orvhost::kLongestNumberCell + 1) + longestName;
        for (size_t r = 0; ok && r < chunk.nameOf.size(); ++r) {
            char *out = writer.recordSpace(bound);
            out = orvhost::CsvWriter::putField(out, chunk.names[chunk.nameOf[r]]);
            *out++ = ',';
            out = orvhost::putDateCell(out, *v++, lastDay);
            for (size_t c = 2; c < columns; ++c) {
                *out++ = ',';
                out = orvhost::putPlainNumberCell(out, *v++);
            }
            ok = writer.endRecordAt(out, int(columns), error);
        }
        spent += Clock::now() - start;
        rows += chunk.nameOf.size();
    }
    start = Clock::now();
    ok = ok && writer.finish(error);
    spent += Clock::now() - start;
    if (!ok) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    std::printf("format_write rows=%zu seconds=%.3f\n", rows, std::chrono::duration<double>(spent).count());
    return 0;
}
