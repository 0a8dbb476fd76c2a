/*
 * text_fields_test.cpp - the blank-padded text routines: compares with the
 * position of the first difference, equality, moves (NUL mode included),
 * searches, trimming, justification, translation and integer text, with
 * negative lengths and null fields, under a single-byte and a multi-byte
 * encoding (the latter through the host's case services).
 *
 * Expected values are worked out by hand from the byte codes.
 */
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "host/host_records.h"
#include "host/services.h"
#include "host/text_fields.h"
#include "tests/support/module_host.h"

namespace {

using namespace std::string_view_literals;

GCB *gcb() { return orvtest::moduleHost().controlBlock().gcb(); }

/* Switches the host to a multi-byte encoding for the life of the object. */
struct MultiByteOn {
    MultiByteOn() { orvtest::setMultiByte(true); }
    ~MultiByteOn() { orvtest::setMultiByte(false); }
};

/* Puts back the control-block words a test replaces. */
struct ControlBlockRestore {
    const uint8_t *collating = gcb()->collating;
    const uint8_t *const *translate = gcb()->translate;
    LOCALE_RECORD *locale = gcb()->locale;
    MBCS_STATE_RECORD *mbcs = gcb()->locale->mbcs;
    ~ControlBlockRestore()
    {
        gcb()->collating = collating;
        gcb()->translate = translate;
        gcb()->locale = locale;
        locale->mbcs = mbcs;
        orvtest::setMultiByte(false);
    }
};

/* Pointer and length of a field given as a view; a null view pointer
 * stands for a null field. */
const char *ptr(std::string_view s) { return s.data(); }
int len(std::string_view s) { return int(s.size()); }

/* ---- compares ---------------------------------------------------------------- */

struct CompareCase {
    const char *id;
    std::string_view a;
    int lengthA; /* -99: the view's own length */
    std::string_view b;
    int lengthB;
    int com;     /* wzstcom */
    int cmn;     /* wzstcmn */
};

constexpr int kOwn = -99;

const CompareCase kCompareCases[] = {
    {"ab = ab+3 blanks", "ab", kOwn, "ab   ", kOwn, 0, 0},
    {"ab+3 blanks = ab", "ab   ", kOwn, "ab", kOwn, 0, 0},
    {"ab < abc at 3", "ab", kOwn, "abc", kOwn, -3, -3},
    {"abc > ab at 3", "abc", kOwn, "ab", kOwn, 3, 3},
    {"tab in b's extra part", "ab", kOwn, "ab\t", kOwn, 3, 3},
    {"tab in a's extra part", "ab\t", kOwn, "ab", kOwn, -3, -3},
    {"late non-blank in a", "ab   x", kOwn, "ab", kOwn, 6, 6},
    {"late non-blank in b", "ab", kOwn, "ab   x", kOwn, -6, -6},
    {"mixed case vs capitals", "EventName", kOwn, "EVENTNAME", kOwn, 2, 0},
    {"case differs, then letters", "abc", kOwn, "ABD", kOwn, 1, -3},
    {"underscore vs letter", "_", kOwn, "a", kOwn, -1, 1},
    {"@ and ` are not letters", "x@", kOwn, "x`", kOwn, -2, -2},
    {"lower extra letter in b", "ab", kOwn, "ABc", kOwn, 1, -3},
    {"byte above 0x7f is unsigned", "\x80", kOwn, "a", kOwn, 1, 1},
    {"equal lengths differ at 4", "abcd", kOwn, "abce", kOwn, -4, -4},
    {"both empty", "", kOwn, "", kOwn, 0, 0},
    {"empty vs blanks", "", kOwn, "   ", kOwn, 0, 0},
    {"empty vs a", "", kOwn, "a", kOwn, -1, -1},
    {"only length counts", "abX", 2, "abY", 2, 0, 0},
    {"null a is empty", {}, 3, "  ", kOwn, 0, 0},
    {"null b is empty", "z", kOwn, {}, 5, 1, 1},
    {"negative length a is 0", "abc", -1, "", kOwn, 0, 0},
    {"negative length a vs abc", "abc", -1, "abc", kOwn, -1, -1},
    {"negative length b", "a", kOwn, "abc", INT_MIN, 1, 1},
};

int lengthOf(std::string_view s, int given) { return given == kOwn ? len(s) : given; }

void checkCompares(const char *mode)
{
    for (const auto &c : kCompareCases) {
        SCOPED_TRACE(std::string(mode) + ": " + c.id);
        int la = lengthOf(c.a, c.lengthA), lb = lengthOf(c.b, c.lengthB);
        EXPECT_EQ(wzstcom(ptr(c.a), la, ptr(c.b), lb), c.com);
        EXPECT_EQ(wzstcmn(ptr(c.a), la, ptr(c.b), lb), c.cmn);
    }
}

TEST(TextFields, CompareSingleByte) { checkCompares("single-byte"); }

TEST(TextFields, CompareMultiByteThroughHost)
{
    MultiByteOn on;
    checkCompares("multi-byte");
}

/* With the collating table replaced by one that weighs every byte the same,
 * a single-byte wzstcmn finds everything equal, while the multi-byte one
 * still goes by the host service: so the table is read on every call and
 * the multi-byte branch does not use it. */
TEST(TextFields, CompareReadsControlBlockEachCall)
{
    ControlBlockRestore restore;
    static const uint8_t kFlat[256] = {}; /* every weight 0, blank included */
    gcb()->collating = kFlat;
    EXPECT_EQ(wzstcmn("abc", 3, "xyz", 3), 0);
    EXPECT_EQ(wzsteqn("abc", 3, "xyz", 3), 1);
    EXPECT_EQ(wzbcup("abc", "xyz", 3), 0);
    /* Extra bytes weigh 0, below the blank code. */
    EXPECT_EQ(wzstcmn("ab", 2, "abc", 3), 3);

    orvtest::setMultiByte(true);
    EXPECT_EQ(wzstcmn("abc", 3, "xyz", 3), -1);
    EXPECT_EQ(wzsteqn("abc", 3, "xyz", 3), 0);
    EXPECT_EQ(wzsteqn("abc", 3, "ABC", 3), 1);
}

TEST(TextFields, MissingLocaleRecordMeansSingleByte)
{
    ControlBlockRestore restore;
    static const uint8_t kFlat[256] = {};
    gcb()->collating = kFlat; /* tells the single-byte path by its result */
    orvtest::setMultiByte(true);
    gcb()->locale->mbcs = nullptr;
    EXPECT_EQ(wzstcmn("abc", 3, "xyz", 3), 0);
    gcb()->locale = nullptr;
    EXPECT_EQ(wzstcmn("abc", 3, "xyz", 3), 0);
}

struct EqualCase {
    const char *id;
    std::string_view a;
    int lengthA;
    std::string_view b;
    int lengthB;
    int equal;
};

const EqualCase kEqualCases[] = {
    {"same text", "ab", kOwn, "ab", kOwn, 1},
    {"case folded", "Event_1", kOwn, "EVENT_1", kOwn, 1},
    {"lengths differ (ab, ab+blank)", "ab", kOwn, "ab ", kOwn, 0},
    {"lengths differ (ab+blank, ab)", "ab ", kOwn, "ab", kOwn, 0},
    {"letter differs", "ab", kOwn, "ac", kOwn, 0},
    {"both empty", "", kOwn, "", kOwn, 1},
    {"@ and ` are not letters", "@[", kOwn, "`{", kOwn, 0},
    {"high bytes", "\xe9t\xe9", kOwn, "\xe9T\xe9", kOwn, 1},
    {"only length counts", "abX", 2, "abY", 2, 1},
    {"negative lengths are 0", "abc", -2, "xyz", -7, 1},
    {"negative vs empty", "abc", -2, "", kOwn, 1},
    {"negative vs text", "abc", -2, "abc", kOwn, 0},
    {"null vs empty", {}, 4, "", kOwn, 1},
};

void checkEquality(const char *mode)
{
    for (const auto &c : kEqualCases) {
        SCOPED_TRACE(std::string(mode) + ": " + c.id);
        EXPECT_EQ(wzsteqn(ptr(c.a), lengthOf(c.a, c.lengthA), ptr(c.b), lengthOf(c.b, c.lengthB)),
                  c.equal);
    }
}

TEST(TextFields, EqualitySingleByte) { checkEquality("single-byte"); }

TEST(TextFields, EqualityMultiByteThroughHost)
{
    MultiByteOn on;
    checkEquality("multi-byte");
}

TEST(TextFields, MappedByteDifference)
{
    const struct {
        const char *id;
        const char *a;
        const char *b;
        int n;
        int result;
    } cases[] = {
        {"case only", "abc", "ABC", 3, 0},
        {"last letter", "abc", "abd", 3, 'C' - 'D'},
        {"case-only pair skipped", "aX", "Ab", 2, 'X' - 'B'},
        {"unsigned bytes", "\xe9", "a", 1, 0xe9 - 'A'},
        {"difference beyond n", "abc", "abd", 2, 0},
        {"n of 0", "a", "b", 0, 0},
        {"negative n", "a", "b", -4, 0},
        {"null field", nullptr, "b", 1, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(wzbcup(c.a, c.b, c.n), c.result);
    }
}

/* ---- moves ------------------------------------------------------------------- */

enum class Move { Vzmp, Wzstmov, Vzmpc };

constexpr char kGuard = '#';
constexpr size_t kBufferSize = 64;
constexpr size_t kOffset = 4; /* guard bytes in front of the destination */

TEST(TextFields, Moves)
{
    const std::string forty(40, 'x');
    const std::string thirtyTwo(32, 'y');
    const std::string fortyCut = std::string(32, 'x') + '\0';
    const std::string thirtyTwoWithNul = thirtyTwo + '\0';
    const struct {
        const char *id;
        Move routine;
        const char *source;
        int sourceLength;
        int destinationLength;
        std::string_view written; /* bytes from the destination on; all others stay guards */
        int result;               /* wzstmov's result, vzmpc's length */
    } cases[] = {
        {"vzmp pads", Move::Vzmp, "abc", 3, 5, "abc  ", 0},
        {"vzmp truncates", Move::Vzmp, "abcdef", 6, 4, "abcd", 0},
        {"vzmp empty source", Move::Vzmp, "abc", 0, 4, "    ", 0},
        {"vzmp negative source length", Move::Vzmp, "abc", -5, 4, "    ", 0},
        {"vzmp null source", Move::Vzmp, nullptr, 3, 4, "    ", 0},
        {"vzmp negative destination", Move::Vzmp, "abc", 3, -1, "", 0},
        {"vzmp zero destination", Move::Vzmp, "abc", 3, 0, "", 0},
        {"vzmpc pads, counts 3", Move::Vzmpc, "abc", 3, 5, "abc  ", 3},
        {"vzmpc truncates, counts 4", Move::Vzmpc, "abcdef", 6, 4, "abcd", 4},
        {"vzmpc negative source counts 0", Move::Vzmpc, "abc", -5, 4, "    ", 0},
        {"vzmpc null source counts 0", Move::Vzmpc, nullptr, 3, 4, "    ", 0},
        {"wzstmov pads", Move::Wzstmov, "abc", 3, 5, "abc  ", 3},
        {"wzstmov truncates", Move::Wzstmov, "abcdef", 6, 4, "abcd", 4},
        {"wzstmov null source", Move::Wzstmov, nullptr, 3, 4, "    ", 0},
        {"wzstmov negative source", Move::Wzstmov, "abc", -7, 5, "     ", 0},
        {"NUL mode short", Move::Wzstmov, "abc", 3, -33, "abc\0"sv, 3},
        {"NUL mode caps 40 at 32", Move::Wzstmov, forty.c_str(), 40, -33, fortyCut, 32},
        {"NUL mode exactly 32", Move::Wzstmov, thirtyTwo.c_str(), 32, -33, thirtyTwoWithNul, 32},
        {"NUL mode capacity 0", Move::Wzstmov, "abc", 3, -1, "\0"sv, 0},
        {"NUL mode null source", Move::Wzstmov, nullptr, 3, -33, "\0"sv, 0},
        {"NUL mode empty source", Move::Wzstmov, "abc", 0, -33, "\0"sv, 0},
        {"NUL mode negative source", Move::Wzstmov, "abc", -7, -33, "\0"sv, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.id);
        std::vector<char> buffer(kBufferSize, kGuard);
        char *destination = buffer.data() + kOffset;
        int16_t length = -1;
        if (c.routine == Move::Vzmp) {
            vzmp(c.source, c.sourceLength, destination, c.destinationLength);
        } else if (c.routine == Move::Vzmpc) {
            vzmpc(c.source, c.sourceLength, &length, destination, c.destinationLength);
            EXPECT_EQ(length, c.result);
        } else
            EXPECT_EQ(wzstmov(c.source, c.sourceLength, destination, c.destinationLength), c.result);
        std::string expected = std::string(kOffset, kGuard) + std::string(c.written);
        expected.resize(kBufferSize, kGuard);
        EXPECT_EQ(std::string(buffer.begin(), buffer.end()), expected);
    }
}

TEST(TextFields, NulModeWithMostNegativeLength)
{
    /* Capacity INT_MAX: the copy is bounded by the source length. */
    char destination[8];
    std::memset(destination, kGuard, sizeof destination);
    EXPECT_EQ(wzstmov("abc", 3, destination, INT_MIN), 3);
    EXPECT_EQ(std::string(destination, 5), "abc\0#"sv);
}

TEST(TextFields, OverlappingMoves)
{
    const struct {
        const char *id;
        Move routine;
        int from;
        int sourceLength;
        int to;
        int destinationLength;
        std::string_view after;
    } cases[] = {
        {"vzmp forward", Move::Vzmp, 0, 6, 2, 6, "ababcdef"},
        {"vzmp backward", Move::Vzmp, 2, 6, 0, 8, "cdefgh  "},
        {"vzmp onto itself", Move::Vzmp, 0, 4, 0, 6, "abcd  gh"},
        {"wzstmov forward", Move::Wzstmov, 0, 5, 3, 5, "abcabcde"},
        {"wzstmov backward", Move::Wzstmov, 1, 7, 0, 7, "bcdefghh"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.id);
        char field[9] = "abcdefgh";
        if (c.routine == Move::Vzmp)
            vzmp(field + c.from, c.sourceLength, field + c.to, c.destinationLength);
        else
            wzstmov(field + c.from, c.sourceLength, field + c.to, c.destinationLength);
        EXPECT_EQ(std::string_view(field, 8), c.after);
    }
}

/* ---- tests, searches and trimming -------------------------------------------- */

TEST(TextFields, AllBytesEqual)
{
    const struct {
        const char *id;
        int value;
        const char *field;
        int n;
        int result;
    } cases[] = {
        {"all blanks", ' ', "    ", 4, 1},
        {"one non-blank", ' ', "  x ", 4, 0},
        {"only n bytes", ' ', "  x ", 2, 1},
        {"n of 0", 'x', "", 0, 1},
        {"negative n", ' ', "ab", -1, 1},
        {"high byte as signed char", int(static_cast<signed char>('\xe9')), "\xe9\xe9", 2, 1},
        {"high byte as unsigned", 0xe9, "\xe9\xe9", 2, 1},
        {"null field", ' ', nullptr, 3, 1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(vzatl(c.value, c.field, c.n), c.result);
    }
}

TEST(TextFields, TextLength)
{
    EXPECT_EQ(wzstlen(nullptr), 0);
    EXPECT_EQ(wzstlen(""), 0);
    EXPECT_EQ(wzstlen("abc"), 3);
    EXPECT_EQ(wzstlen("ab\0cd"), 2);
}

TEST(TextFields, StripTrailingBlanks)
{
    const std::string blanks13(13, ' '), blanks14(14, ' '), blanks20(20, ' ');
    const struct {
        const char *id;
        std::string field;
        int length;
        int result;
    } cases[] = {
        {"empty", "", kOwn, 0},
        {"all blank", "   ", kOwn, 0},
        {"two letters", "ab  ", kOwn, 2},
        {"tab is not blank", "ab\t ", kOwn, 3},
        {"inner blanks kept", "a  b ", kOwn, 4},
        {"16 bytes", "abc" + blanks13, kOwn, 3},
        {"17 bytes", "abc" + blanks14, kOwn, 3},
        {"17 blanks", std::string(17, ' '), kOwn, 0},
        {"non-blank inside a word", "a" + std::string(9, ' ') + "b" + blanks20, kOwn, 11},
        {"only the length counts", "ab  cd", 4, 2},
        {"negative length", "abc", -4, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.id);
        /* An exact-size copy, so a read past the field is caught by the
         * address sanitizer. */
        std::vector<char> field(c.field.begin(), c.field.end());
        EXPECT_EQ(wzstrip(field.data(), lengthOf(c.field, c.length)), c.result);
    }
    EXPECT_EQ(wzstrip(nullptr, 5), 0);
}

/* Every field length up to 70 with its last non-blank byte at every place:
 * covers each alignment of the word-at-a-time skip. */
TEST(TextFields, StripEveryLastPosition)
{
    for (int length = 0; length <= 70; ++length) {
        for (int last = -1; last < length; ++last) {
            std::vector<char> field(size_t(length), ' ');
            if (last >= 0) field[size_t(last)] = 'x';
            if (last >= 2) field[0] = 'y';
            SCOPED_TRACE("length " + std::to_string(length) + " last " + std::to_string(last));
            ASSERT_EQ(wzstrip(field.data(), length), last + 1);
        }
    }
}

TEST(TextFields, BytePosition)
{
    const struct {
        const char *id;
        const char *field;
        int length;
        int value;
        int result;
    } cases[] = {
        {"first of two", "abcabc", 6, 'c', 2},
        {"first byte", "abc", 3, 'a', 0},
        {"absent", "abc", 3, 'z', -1},
        {"beyond length", "abc", 2, 'c', -1},
        {"high byte as signed char", "ab\xe9", 3, int(static_cast<signed char>('\xe9')), 2},
        {"empty field", "abc", 0, 'a', -1},
        {"negative length", "abc", -3, 'a', -1},
        {"null field", nullptr, 3, 'a', -1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(wzstpos(c.field, c.length, c.value), c.result);
    }
}

TEST(TextFields, PatternIndex)
{
    const struct {
        const char *id;
        const char *field;
        int length;
        const char *pattern;
        int patternLength;
        int result;
    } cases[] = {
        {"inside", "abcabc", 6, "ca", 2, 2},
        {"at the start", "abcabc", 6, "abc", 3, 0},
        {"at the end", "abcd", 4, "cd", 2, 2},
        {"after a false start", "aaab", 4, "aab", 3, 1},
        {"case-sensitive", "abcABC", 6, "AB", 2, 3},
        {"absent", "abcabc", 6, "cb", 2, -1},
        {"pattern longer than field", "abc", 3, "abcd", 4, -1},
        {"only the field's length counts", "abcd", 3, "cd", 2, -1},
        {"empty pattern", "abc", 3, "x", 0, 0},
        {"empty pattern, empty field", "", 0, "", 0, 0},
        {"null pattern, negative length", "abc", 3, nullptr, -1, 0},
        {"NUL-terminated pattern", "xxabc", 5, "abc", -1, 2},
        {"NUL-terminated empty pattern", "abc", 3, "", -5, 0},
        {"empty field", "abc", 0, "a", 1, -1},
        {"negative field length", "abc", -2, "a", 1, -1},
        {"null field", nullptr, 4, "a", 1, -1},
        {"null pattern with a length", "abc", 3, nullptr, 2, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(wzstndx(c.field, c.length, c.pattern, c.patternLength), c.result);
    }
}

/* ---- justification ----------------------------------------------------------- */

TEST(TextFields, Justify)
{
    const std::string name32Before = "   EVENT" + std::string(24, ' ');
    const std::string name32After = "EVENT" + std::string(27, ' ');
    const struct {
        const char *id;
        std::string_view before;
        int mode;
        std::string_view after;
        int textLength;
        int start;
    } cases[] = {
        {"centre", "  ab      ", 'C', "    ab    ", 2, 4},
        {"centre, lower-case mode", "  ab      ", 'c', "    ab    ", 2, 4},
        {"right", "  ab      ", 'R', "        ab", 2, 8},
        {"left", "  ab      ", 'L', "ab        ", 2, 0},
        {"left, lower-case mode", "  ab      ", 'l', "ab        ", 2, 0},
        {"other letter", "  ab      ", 'x', "  ab      ", 2, 2},
        {"centre, odd blank to the right", "ab   ", 'C', " ab  ", 2, 1},
        {"centre, one blank", " ab", 'C', "ab ", 2, 0},
        {"centre, inner blank", "a b  ", 'C', " a b ", 3, 1},
        {"right, inner blank", "a b  ", 'R', "  a b", 3, 2},
        {"already right", "   ab", 'R', "   ab", 2, 3},
        {"already left", "ab   ", 'L', "ab   ", 2, 0},
        {"full field", "abc", 'C', "abc", 3, 0},
        {"all blank", "     ", 'C', "     ", 0, 0},
        {"empty", "", 'L', "", 0, 0},
        {"tab counts as text", " \t ", 'L', "\t  ", 1, 0},
        {"32-byte name to the left", name32Before, 'l', name32After, 5, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.id);
        std::string buffer = "##" + std::string(c.before) + "##";
        int textLength = -1, start = -1;
        wzstjls(buffer.data() + 2, len(c.before), c.mode, &textLength, &start);
        EXPECT_EQ(buffer, "##" + std::string(c.after) + "##");
        EXPECT_EQ(textLength, c.textLength);
        EXPECT_EQ(start, c.start);

        std::string again = "##" + std::string(c.before) + "##";
        EXPECT_EQ(wzstjus(again.data() + 2, len(c.before), c.mode), c.textLength);
        EXPECT_EQ(again, buffer);
    }
}

TEST(TextFields, JustifyEdges)
{
    char field[] = "  ab";
    wzstjls(field, 4, 'L', nullptr, nullptr);
    EXPECT_EQ(std::string_view(field, 4), "ab  ");

    int textLength = -1, start = -1;
    wzstjls(field, -4, 'R', &textLength, &start);
    EXPECT_EQ(std::string_view(field, 4), "ab  ");
    EXPECT_EQ(textLength, 0);
    EXPECT_EQ(start, 0);

    wzstjls(nullptr, 4, 'R', &textLength, &start);
    EXPECT_EQ(textLength, 0);
}

/* ---- translation ------------------------------------------------------------- */

void checkTranslation(const char *mode)
{
    const struct {
        const char *id;
        int table;
        std::string_view after; /* of "aB-z\xe9_Q" */
        int rc;
    } cases[] = {
        {"0 upper", 0, "AB-Z\xe9_Q", 0},
        {"1 lower", 1, "ab-z\xe9_q", 0},
        {"2 upper", 2, "AB-Z\xe9_Q", 0},
        {"3 lower", 3, "ab-z\xe9_q", 0},
        {"4 identity", 4, "aB-z\xe9_Q", 0},
        {"5 unknown", 5, "########", WZTXXLT_BAD_TABLE},
        {"-1 unknown", -1, "########", WZTXXLT_BAD_TABLE},
        {"INT_MAX unknown", INT_MAX, "########", WZTXXLT_BAD_TABLE},
    };
    constexpr std::string_view source = "aB-z\xe9_Q";
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(mode) + ": " + c.id);
        std::string destination(10, '#');
        EXPECT_EQ(wztxxlt(c.table, source.data(), destination.data(), len(source)), c.rc);
        EXPECT_EQ(destination, std::string(c.after).append(10 - c.after.size(), '#'));

        std::string inPlace(source);
        EXPECT_EQ(wztxxlt(c.table, inPlace.data(), inPlace.data(), len(source)), c.rc);
        EXPECT_EQ(inPlace, c.rc == 0 ? c.after : source);
    }
    EXPECT_EQ(static_cast<uint32_t>(WZTXXLT_BAD_TABLE), 0x8000200aU);
}

TEST(TextFields, TranslateSingleByte) { checkTranslation("single-byte"); }

TEST(TextFields, TranslateMultiByteThroughHost)
{
    MultiByteOn on;
    checkTranslation("multi-byte");
}

/* With every translate table replaced by the identity, the single-byte path
 * changes nothing, while under a multi-byte encoding tables 0 to 3 are the
 * host services' and table 4 is still the (replaced) table. */
TEST(TextFields, TranslateReadsControlBlockEachCall)
{
    ControlBlockRestore restore;
    static uint8_t identity[256];
    for (int i = 0; i < 256; ++i) identity[i] = uint8_t(i);
    static uint8_t toX[256];
    std::memset(toX, 'X', sizeof toX);
    static const uint8_t *const tables[ORV_TRANSLATE_TABLE_COUNT] = {identity, identity, identity,
                                                                     identity, toX};
    gcb()->translate = tables;

    const struct {
        const char *id;
        bool multiByte;
        int table;
        std::string_view after;
    } cases[] = {
        {"single-byte 0", false, 0, "aB"}, {"single-byte 3", false, 3, "aB"},
        {"single-byte 4", false, 4, "XX"}, {"multi-byte 0", true, 0, "AB"},
        {"multi-byte 1", true, 1, "ab"},   {"multi-byte 2", true, 2, "AB"},
        {"multi-byte 3", true, 3, "ab"},   {"multi-byte 4", true, 4, "XX"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.id);
        orvtest::setMultiByte(c.multiByte);
        char destination[2] = {'#', '#'};
        EXPECT_EQ(wztxxlt(c.table, "aB", destination, 2), 0);
        EXPECT_EQ(std::string_view(destination, 2), c.after);
    }
}

TEST(TextFields, TranslateOverlapAndLengths)
{
    char field[] = "abcdef##";
    EXPECT_EQ(wztxxlt(0, field, field + 2, 6), 0);
    EXPECT_EQ(std::string_view(field, 8), "abABCDEF");

    char untouched[] = "abc";
    EXPECT_EQ(wztxxlt(0, "xyz", untouched, -3), 0);
    EXPECT_EQ(wztxxlt(0, "xyz", untouched, 0), 0);
    EXPECT_EQ(wztxxlt(0, nullptr, untouched, 3), 0);
    EXPECT_STREQ(untouched, "abc");
}

/* The translate services as the module sees them: a destination longer than
 * the source is blank-padded, a shorter one takes what fits. */
TEST(TextFields, HostTranslateServices)
{
    const struct {
        const char *id;
        bool upper;
        std::string_view source;
        int destinationLength;
        std::string_view after;
    } cases[] = {
        {"upper, pad", true, "aZ\xc3\xa9", 6, "AZ\xc3\xa9  "},
        {"lower, cut", false, "ABCD", 2, "ab"},
        {"lower, empty source", false, "", 3, "   "},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.id);
        std::string destination(8, '#');
        auto service = c.upper ? wzsxcch : wzsxrch;
        EXPECT_EQ(service(c.source.data(), len(c.source), destination.data(), c.destinationLength, 1),
                  0);
        EXPECT_EQ(destination, std::string(c.after).append(8 - c.after.size(), '#'));
    }
    char field[] = "aBc\xc3\xa9";
    wzstrup(field, 5);
    EXPECT_STREQ(field, "ABC\xc3\xa9");
    wzstrlo(field, 2);
    EXPECT_STREQ(field, "abC\xc3\xa9");
    wzstrlo(field, -2);
    EXPECT_STREQ(field, "abC\xc3\xa9");
}

/* ---- integer text ------------------------------------------------------------ */

TEST(TextFields, IntegerText)
{
    const struct {
        const char *id;
        int value;
        std::string_view text;
    } cases[] = {
        {"most negative", INT_MIN, "-2147483648"},
        {"most positive", INT_MAX, "2147483647"},
        {"zero", 0, "0"},
        {"one digit", 7, "7"},
        {"minus one", -1, "-1"},
        {"power of ten", 1000000000, "1000000000"},
        {"negative power of ten", -10, "-10"},
        {"mixed digits", 90210, "90210"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.id);
        char buffer[16];
        std::memset(buffer, kGuard, sizeof buffer);
        int written = wzcichr(c.value, buffer);
        EXPECT_EQ(written, len(c.text));
        EXPECT_EQ(std::string_view(buffer, size_t(written)), c.text);
        EXPECT_EQ(buffer[written], kGuard);
    }
    EXPECT_EQ(wzcichr(5, nullptr), 0);
}

}  // namespace
