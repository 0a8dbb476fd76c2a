/*
 * format_write.cpp - the benchmark's lower bound: formats and writes the
 * bytes of a dummy data set's CSV file with the host's own CSV writer and
 * number texts, and nothing else.  It loads the file orvhost wrote into
 * memory (not timed), writes it again from the values (timed), and checks
 * that the bytes are the same.
 *
 *     orv_bench_format_write IN.csv OUT.csv
 *
 * Prints the seconds of formatting and writing; exit status 1 when the
 * bytes differ or a file cannot be used.
 */
#include <fcntl.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/dataset/csv_writer.h"
#include "platform/dataset/value_text.h"

namespace {

std::string readAll(const char *path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s IN.csv OUT.csv\n", argv[0]);
        return 1;
    }
    const std::string input = readAll(argv[1]);
    /* The first line is the header; then the text column, the date and the
     * numbers of every row. */
    size_t at = input.find('\n') + 1;
    const std::string header = input.substr(0, at - 1);
    std::vector<std::string> names;
    std::vector<std::string> series;    /* per row: index into names */
    std::vector<uint32_t> seriesOf;
    std::vector<double> values;
    size_t columns = 1;
    for (char c : header) columns += c == ',' ? 1 : 0;
    while (at < input.size()) {
        const size_t end = input.find('\n', at);
        std::string_view line(input.data() + at, end - at);
        size_t comma = line.find(',');
        std::string_view name = line.substr(0, comma);
        if (names.empty() || names.back() != name) names.emplace_back(name);
        seriesOf.push_back(uint32_t(names.size() - 1));
        for (size_t c = 1; c < columns; ++c) {
            const size_t next = line.find(',', comma + 1);
            double value = 0;
            orvhost::readNumberCell(line.substr(comma + 1, next - comma - 1), &value);
            values.push_back(value);
            comma = next;
        }
        at = end + 1;
    }
    const size_t rows = seriesOf.size();

    const auto start = std::chrono::steady_clock::now();
    orvhost::CsvWriter writer;
    writer.attach(::open(argv[2], O_WRONLY | O_CREAT | O_TRUNC, 0644), argv[2]);
    std::string error, cell;
    size_t h = 0;
    while (h <= header.size()) {
        const size_t comma = std::min(header.find(',', h), header.size());
        writer.field(std::string_view(header).substr(h, comma - h));
        h = comma + 1;
    }
    bool ok = writer.endRecord(error);
    const double *v = values.data();
    for (size_t r = 0; ok && r < rows; ++r) {
        writer.field(names[seriesOf[r]]);
        cell.clear();
        orvhost::appendNumberCell(cell, *v++, orvhost::FormatFamily::Date);
        writer.plainField(cell);
        for (size_t c = 2; c < columns; ++c) {
            cell.clear();
            orvhost::appendNumberCell(cell, *v++, orvhost::FormatFamily::Numeric);
            writer.plainField(cell);
        }
        ok = writer.endRecord(error);
    }
    ok = ok && writer.finish(error);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!ok) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    const bool same = readAll(argv[2]) == input;
    std::printf("format_write rows=%zu seconds=%.3f same_bytes=%s\n", rows, seconds, same ? "yes" : "no");
    return same ? 0 : 1;
}
