/*
 * csv_test.cpp - the RFC 4180 reader and writer: records, quoting, line
 * numbers and offsets, the messages of malformed files, and records written
 * in place across flushes and buffer growth.
 */
#include <fcntl.h>
#include <stdlib.h>

#include <filesystem>

#include "platform/dataset/csv_reader.h"
#include "platform/dataset/csv_writer.h"
#include "tests/platform/dataset/dataset_test_support.h"

namespace {

using orvhost::CsvReader;

class CsvFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/orvcsv-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    /* The records of text joined as "a|b;c|d;" or "ERROR <message>". */
    std::string records(const std::string &text)
    {
        std::string file = dir_ + "/x.csv";
        orvtest::writeFile(file, text);
        CsvReader reader;
        std::string error, result;
        if (!reader.open(file, error)) return "OPEN " + error;
        for (;;) {
            CsvReader::Result r = reader.next(error);
            if (r == CsvReader::Result::End) return result;
            if (r == CsvReader::Result::Error) return "ERROR " + error.substr(file.size() + 2);
            std::string record;
            for (size_t i = 0; i < reader.fields().size(); ++i)
                record += (i == 0 ? "" : "|") + std::string(reader.fields()[i]);
            result += record + "@" + std::to_string(reader.recordLine()) + ";";
        }
    }

    std::string dir_;
};

TEST_F(CsvFile, ReadsRecordsAndReportsMalformedOnes)
{
    struct Case {
        const char *id;
        std::string text;
        std::string expected;
    };
    const std::string huge((size_t{16} << 20) + 1, 'x');
    const std::string tooLong = "the record is longer than 16777216 bytes, the most this host "
                                "reads in one record; check its quotes and line ends.";
    const Case cases[] = {
        {"plain", "a,b\n1,2\n", "a|b@1;1|2@2;"},
        {"no final newline", "a,b\n1,2", "a|b@1;1|2@2;"},
        {"CRLF", "a,b\r\n1,2\r\n", "a|b@1;1|2@2;"},
        {"empty fields", "a,b,c\n,,\n", "a|b|c@1;||@2;"},
        {"quoted comma", "a\n\"x,y\"\n", "a@1;x,y@2;"},
        {"doubled quote", "a\n\"say \"\"hi\"\"\"\n", "a@1;say \"hi\"@2;"},
        {"newline in quotes", "a,b\n\"1\n2\",3\n4,5\n", "a|b@1;1\n2|3@2;4|5@4;"},
        {"quoted empty", "a\n\"\"\n", "a@1;@2;"},
        {"blank lines skipped", "a\n\n1\n\n\n2\n", "a@1;1@3;2@6;"},
        {"byte-order mark", "\xEF\xBB\xBF" "a,b\n1,2\n", "a|b@1;1|2@2;"},
        {"spaces kept", "a\n x \n", "a@1; x @2;"},
        {"unterminated quote", "a\n1\n\"open\n2\n", "ERROR line 3: a quoted field is not closed before the end of the file."},
        {"text after quote", "a\n\"x\"y\n", "ERROR line 2: characters follow the closing quote of a field."},
        {"quote inside field", "a\nx\"y\n", "ERROR line 2: a quote appears inside a field that is not quoted."},
        {"record above 16 MiB", "a\n1\n" + huge + "\n", "ERROR line 3: " + tooLong},
        {"quote open over 16 MiB", "a\n\"" + huge, "ERROR line 2: " + tooLong},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(records(c.text), c.expected);
    }
}

TEST_F(CsvFile, SeeksBackToANotedRecord)
{
    std::string file = dir_ + "/x.csv";
    orvtest::writeFile(file, "a\n1\n\"2\n2\"\n3\n");
    CsvReader reader;
    std::string error;
    ASSERT_TRUE(reader.open(file, error));
    ASSERT_EQ(reader.next(error), CsvReader::Result::Record); /* header */
    ASSERT_EQ(reader.next(error), CsvReader::Result::Record); /* 1 */
    ASSERT_EQ(reader.next(error), CsvReader::Result::Record); /* "2\n2" */
    int64_t offset = reader.recordOffset(), line = reader.recordLine();
    EXPECT_EQ(offset, 4);
    EXPECT_EQ(line, 3);
    ASSERT_EQ(reader.next(error), CsvReader::Result::Record);
    EXPECT_EQ(reader.fields()[0], "3");
    EXPECT_EQ(reader.recordLine(), 5);
    ASSERT_TRUE(reader.seek(offset, line, error));
    ASSERT_EQ(reader.next(error), CsvReader::Result::Record);
    EXPECT_EQ(reader.fields()[0], "2\n2");
    EXPECT_EQ(reader.recordLine(), 3);
}

TEST_F(CsvFile, WriterQuotesWhatNeedsQuotingAndReadsBack)
{
    const std::vector<std::vector<std::string>> rows = {
        {"plain", "with,comma", "with \"quote\""},
        {"line\nfeed", "", "carriage\rreturn"},
        {""}, /* a single empty field must not read as an empty line */
    };
    std::string file = dir_ + "/w.csv";
    orvhost::CsvWriter writer;
    writer.attach(::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), file);
    std::string error;
    for (const auto &row : rows) {
        for (const std::string &field : row) writer.field(field);
        ASSERT_TRUE(writer.endRecord(error)) << error;
    }
    ASSERT_TRUE(writer.finish(error)) << error;
    EXPECT_EQ(orvtest::readFile(file),
              "plain,\"with,comma\",\"with \"\"quote\"\"\"\n\"line\nfeed\",,\"carriage\rreturn\"\n\"\"\n");

    CsvReader reader;
    ASSERT_TRUE(reader.open(file, error));
    for (const auto &row : rows) {
        ASSERT_EQ(reader.next(error), CsvReader::Result::Record) << error;
        ASSERT_EQ(reader.fields().size(), row.size());
        for (size_t i = 0; i < row.size(); ++i) EXPECT_EQ(reader.fields()[i], row[i]);
    }
    EXPECT_EQ(reader.next(error), CsvReader::Result::End);
}

/* Plain fields appended in place: a record whose only field is empty is
 * still written as "", also when an earlier record ended non-empty. */
TEST_F(CsvFile, WriterPlainFieldsInPlace)
{
    const struct {
        std::vector<std::string> fields;
        const char *line;
    } cases[] = {
        {{"1", "2.5"}, "1,2.5\n"},
        {{""}, "\"\"\n"},
        {{"", ""}, ",\n"},
        {{"7"}, "7\n"},
        {{"", "x"}, ",x\n"},
        {{"x", ""}, "x,\n"},
    };
    std::string file = dir_ + "/p.csv";
    orvhost::CsvWriter writer;
    writer.attach(::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), file);
    std::string error, expected;
    for (const auto &c : cases) {
        for (const std::string &field : c.fields) writer.plainField(field);
        ASSERT_TRUE(writer.endRecord(error)) << error;
        expected += c.line;
    }
    ASSERT_TRUE(writer.finish(error)) << error;
    EXPECT_EQ(orvtest::readFile(file), expected);
}

/* Records written in place (recordSpace, putField, endRecordAt) and field
 * by field, mixed, over several flushes and through a record too long for
 * the buffer's headroom. */
TEST_F(CsvFile, WriterRecordsInPlaceAcrossFlushesAndGrowth)
{
    const std::string longText(300000, 'q');
    const std::string longQuoted = "\"" + std::string(200000, '"') + "\"";
    struct Case {
        const char *id;
        std::vector<std::string> fields;
        std::string line;
    };
    const std::vector<Case> cases = {
        {"numbers", {"1", "2.5", ""}, "1,2.5,\n"},
        {"lone empty field", {""}, "\"\"\n"},
        {"two empty fields", {"", ""}, ",\n"},
        {"quoting", {"a,b", "say \"hi\"", "cr\r", "lf\n"}, "\"a,b\",\"say \"\"hi\"\"\",\"cr\r\",\"lf\n\"\n"},
        {"longer than the headroom", {longText, "x"}, longText + ",x\n"},
        {"quotes doubled beyond the headroom", {std::string(100000, '"')}, longQuoted + "\n"},
    };
    std::string file = dir_ + "/inplace.csv";
    orvhost::CsvWriter writer;
    writer.attach(::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), file);
    std::string error, expected;
    /* Enough rounds for several flushes of the buffer. */
    for (int round = 0; round < 12; ++round) {
        for (const Case &c : cases) {
            SCOPED_TRACE(c.id);
            if (round % 2 == 0) {
                size_t bound = 0;
                for (const std::string &f : c.fields) bound += orvhost::CsvWriter::quotedBound(f.size()) + 1;
                char *out = writer.recordSpace(bound);
                for (size_t i = 0; i < c.fields.size(); ++i) {
                    if (i > 0) *out++ = ',';
                    out = orvhost::CsvWriter::putField(out, c.fields[i]);
                }
                ASSERT_TRUE(writer.endRecordAt(out, int(c.fields.size()), error)) << error;
            } else {
                for (const std::string &f : c.fields) writer.field(f);
                ASSERT_TRUE(writer.endRecord(error)) << error;
            }
            expected += c.line;
            ASSERT_EQ(writer.size(), int64_t(expected.size()));
        }
    }
    ASSERT_TRUE(writer.finish(error)) << error;
    EXPECT_TRUE(orvtest::readFile(file) == expected) << "the file differs from the records";
}

/* A record as written: its fields, and where it starts. */
struct WrittenRecord {
    std::vector<std::string> fields;
    int64_t line = 0;
    int64_t offset = 0;
};

/* Appends a record of fields to text with the line end ending, noting it
 * in written; quoted fields count the line feeds they hold. */
void writeRecord(std::string &text, int64_t &line, std::vector<WrittenRecord> &written,
                 const std::vector<std::string> &fields, const char *ending)
{
    written.push_back({fields, line, int64_t(text.size())});
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) text += ',';
        const std::string &field = fields[i];
        /* A lone empty field is quoted: an empty line is no record. */
        if (field.find_first_of(",\"\r\n") == std::string::npos && fields.size() + field.size() > 1) {
            text += field;
            continue;
        }
        text += '"';
        for (char c : field) {
            if (c == '"') text += '"';
            if (c == '\n') ++line;
            text += c;
        }
        text += '"';
    }
    text += ending;
    if (*ending != '\0') ++line;
}


/* Records of every form over several buffers of the reader (256 KiB each):
 * plain and quoted fields, LF, CRLF and lone CR, blank lines, a CRLF split
 * by the end of the first buffer, a record longer than a buffer, and a last
 * record without a line end.  Each reads back with its line and offset, and
 * seeking to a noted record reads it again. */
TEST_F(CsvFile, RecordsAcrossBufferEndsReadAsWritten)
{
    constexpr size_t kBuffer = size_t{1} << 18;
    std::string text;
    int64_t line = 1;
    std::vector<WrittenRecord> written;
    uint64_t a = 7;
    auto draw = [&a](uint64_t n) {
        a = a * 6364136223846793005ull + 1442695040888963407ull;
        return (a >> 33) % n;
    };
    auto randomRecord = [&]() {
        std::vector<std::string> fields(1 + draw(6));
        for (std::string &field : fields) {
            const uint64_t kind = draw(10);
            const size_t length = draw(kind == 0 ? 3 : 24);
            for (size_t i = 0; i < length; ++i) field += char('a' + draw(26));
            if (kind == 1) field.insert(field.size() / 2, ",");
            if (kind == 2) field += "\"x\"";
            if (kind == 3) field.insert(0, "l1\nl2");
        }
        return fields;
    };
    auto addRandom = [&](size_t until) {
        static const char *const endings[] = {"\n", "\r\n", "\r"};
        while (text.size() < until) {
            if (draw(20) == 0 && text.back() == '\n') { /* a blank line */
                text += '\n';
                ++line;
            }
            writeRecord(text, line, written, randomRecord(), endings[draw(3)]);
        }
    };
    writeRecord(text, line, written, {"a", "b"}, "\n");
    addRandom(kBuffer - 200);
    /* A filler whose CRLF has its CR as the last byte of the first read. */
    writeRecord(text, line, written, {std::string(kBuffer - 1 - text.size(), 'f')}, "\r\n");
    ASSERT_EQ(text[kBuffer - 1], '\r');
    addRandom(2 * kBuffer);
    writeRecord(text, line, written, {"long", std::string(kBuffer + 5000, 'L'), "end"}, "\n");
    addRandom(4 * kBuffer);
    writeRecord(text, line, written, {"last", "", "x"}, "");

    const std::string file = dir_ + "/big.csv";
    orvtest::writeFile(file, text);
    CsvReader reader;
    std::string error;
    ASSERT_TRUE(reader.open(file, error)) << error;
    for (size_t r = 0; r < written.size(); ++r) {
        SCOPED_TRACE("record " + std::to_string(r));
        ASSERT_EQ(reader.next(error), CsvReader::Result::Record) << error;
        const WrittenRecord &expected = written[r];
        ASSERT_EQ(reader.recordLine(), expected.line);
        ASSERT_EQ(reader.recordOffset(), expected.offset);
        ASSERT_EQ(reader.fields().size(), expected.fields.size());
        for (size_t i = 0; i < expected.fields.size(); ++i)
            ASSERT_EQ(reader.fields()[i], expected.fields[i]) << "field " << i;
    }
    EXPECT_EQ(reader.next(error), CsvReader::Result::End);

    for (size_t r : {size_t{1}, written.size() / 3, written.size() / 2, written.size() - 1}) {
        SCOPED_TRACE("seek to record " + std::to_string(r));
        ASSERT_TRUE(reader.seek(written[r].offset, written[r].line, error));
        ASSERT_EQ(reader.next(error), CsvReader::Result::Record) << error;
        EXPECT_EQ(reader.recordLine(), written[r].line);
        ASSERT_EQ(reader.fields().size(), written[r].fields.size());
        EXPECT_EQ(reader.fields()[0], written[r].fields[0]);
    }
}

}  // namespace
