/*
 * sidecar_test.cpp - the sidecar writer: the text it writes for a table of
 * descriptions (written out by hand), and the reader taking every one of
 * them back.
 */
#include "platform/dataset/sidecar.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

orvhost::Variable variable(const char *name, orvhost::VariableType type, int length, const char *label,
                           const char *format, int width, const char *informat = "", int informatWidth = 0)
{
    orvhost::Variable v;
    v.name = name;
    v.type = type;
    v.length = length;
    v.label = label;
    v.formatName = format;
    v.formatWidth = width;
    v.informatName = informat;
    v.informatWidth = informatWidth;
    return v;
}

TEST(Sidecar, WritesItsTextAndReadsItBack)
{
    using orvhost::VariableType;
    struct Case {
        const char *id;
        orvhost::DataSetDescription description;
        const char *text;
    };
    const Case cases[] = {
        {"no variables, no counts", {"", {}, -1, -1}, "{\n  \"label\": \"\",\n  \"variables\": []\n}\n"},
        {"counts, a text and a number with an informat",
         {"Sales",
          {variable("region", VariableType::Character, 12, "Region", "", 0),
           variable("date", VariableType::Numeric, 8, "", "DATE", 9, "YYMMDD", 10)},
          120,
          5120},
         "{\n  \"label\": \"Sales\",\n  \"observations\": 120,\n  \"csvBytes\": 5120,\n"
         "  \"variables\": [\n"
         "    {\n      \"name\": \"region\",\n      \"type\": \"character\",\n      \"length\": 12,\n"
         "      \"label\": \"Region\",\n      \"format\": \"\"\n    },\n"
         "    {\n      \"name\": \"date\",\n      \"type\": \"numeric\",\n      \"length\": 8,\n"
         "      \"label\": \"\",\n      \"format\": \"DATE9.\",\n      \"informat\": \"YYMMDD10.\"\n    }\n"
         "  ]\n}\n"},
        {"quote, backslash, control byte and a byte that is not UTF-8 in a label",
         {"a\"b\\c\x01\xFF\xC3\xA9", {variable("x", VariableType::Numeric, 8, "\t", "", 0)}, 0, -1},
         "{\n  \"label\": \"a\\\"b\\\\c\\u0001\xEF\xBF\xBD\xC3\xA9\",\n  \"observations\": 0,\n"
         "  \"variables\": [\n"
         "    {\n      \"name\": \"x\",\n      \"type\": \"numeric\",\n      \"length\": 8,\n"
         "      \"label\": \"\\t\",\n      \"format\": \"\"\n    }\n  ]\n}\n"},
    };
    char pattern[] = "/tmp/orv-sidecar-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string path = std::string(pattern) + "/x.meta.json";
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        std::string error;
        ASSERT_TRUE(orvhost::writeSidecar(path, c.description, error)) << error;
        std::stringstream text;
        text << std::ifstream(path).rdbuf();
        EXPECT_EQ(text.str(), c.text);

        orvhost::DataSetDescription read;
        ASSERT_TRUE(orvhost::readSidecar(path, read, error)) << error;
        EXPECT_EQ(read.observations, c.description.observations);
        EXPECT_EQ(read.csvBytes, c.description.csvBytes);
        ASSERT_EQ(read.variables.size(), c.description.variables.size());
        for (size_t i = 0; i < read.variables.size(); ++i) {
            const orvhost::Variable &got = read.variables[i], &wrote = c.description.variables[i];
            EXPECT_EQ(got.name, wrote.name);
            EXPECT_EQ(got.type, wrote.type);
            EXPECT_EQ(got.length, wrote.length);
            EXPECT_EQ(got.label, wrote.label);
            EXPECT_EQ(got.formatName + std::to_string(got.formatWidth),
                      wrote.formatName + std::to_string(wrote.formatWidth));
            EXPECT_EQ(got.informatName + std::to_string(got.informatWidth),
                      wrote.informatName + std::to_string(wrote.informatWidth));
        }
    }
    std::filesystem::remove_all(pattern);
}

}  // namespace
