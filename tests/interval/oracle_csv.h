/*
 * oracle_csv.h - reads the CSV files of expected values that the scripts in
 * tests/oracle generate from independent software.
 */
#ifndef ORV_TESTS_INTERVAL_ORACLE_CSV_H
#define ORV_TESTS_INTERVAL_ORACLE_CSV_H

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace orvtest {

/* One data row: its fields as text, and its 1-based line number (for
 * failure messages). */
struct CsvRow {
    int line;
    std::vector<std::string> fields;
    double number(size_t i) const { return std::stod(fields.at(i)); }
    long long integer(size_t i) const { return std::stoll(fields.at(i)); }
};

/* Every data row of tests/oracle/<name> (header skipped); empty when the
 * file cannot be read, which the callers assert against. */
inline std::vector<CsvRow> readOracleCsv(const std::string &name)
{
    std::vector<CsvRow> rows;
    std::ifstream in(std::string(ORV_SOURCE_DIR) + "/tests/oracle/" + name);
    std::string text;
    int line = 0;
    while (std::getline(in, text)) {
        ++line;
        if (line == 1 || text.empty()) continue;
        CsvRow row{line, {}};
        std::stringstream fields(text);
        std::string field;
        while (std::getline(fields, field, ',')) row.fields.push_back(field);
        rows.push_back(row);
    }
    return rows;
}

}  // namespace orvtest

#endif
