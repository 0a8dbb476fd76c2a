/*
 * timeid_guess_test.cpp - the interval of a series from sampled triples
 * (zinttig) and its input checks (zinttiu), in both forms: candidates found
 * by hand from month starts and Sunday week starts of 2020 (1 March 2020 is
 * a Sunday).
 */
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/civil_days.h"
#include "host/missing_values.h"
#include "interval/interval_desc.h"
#include "interval/timeid_guess.h"
#include "tests/support/module_host.h"

namespace {

double day(int month, int dayOfMonth) { return double(orvDaysFromCivil(2020, month, dayOfMonth)); }

struct GuessCase {
    const char *id;
    std::vector<double> values;
    int flag;
    int maxSamples;
    int result;
    std::vector<std::string> names; /* candidates in order */
};

TEST(TimeIdGuess, CandidatesFromSampledTriples)
{
    /* Months, then weeks: the first triple gives MONTH, the last WEEK.
     * MONTH misses the four weekly steps (0 months each), WEEK the two
     * monthly ones; duplicates of a step of 0 are forgiven by the flag. */
    const std::vector<double> monthsThenWeeks = {day(1, 1), day(2, 1), day(3, 1), day(3, 8),
                                                 day(3, 15), day(3, 22), day(3, 29)};
    const std::vector<GuessCase> cases = {
        {"two values", {day(1, 1), day(2, 1)}, 0, 5, -1, {}},
        {"no samples", {day(1, 1), day(2, 1), day(3, 1)}, 0, 0, 0, {}},
        {"month starts", {day(1, 1), day(2, 1), day(3, 1), day(4, 1), day(5, 1)}, 0, 3, 1, {"MONTH"}},
        {"not identified", {2, 4, 7}, 0, 5, 0, {}},
        {"weeks fit best", monthsThenWeeks, 0, 2, 2, {"WEEK", "MONTH"}},
        {"months fit best with the flag", monthsThenWeeks, 1, 2, 2, {"MONTH", "WEEK"}},
    };
    orvtest::moduleHost();
    for (const GuessCase &c : cases) {
        for (auto guess : {zinttig, zinttig2, zinttiu, zinttiu2}) {
            SCOPED_TRACE(c.id);
            std::vector<ZINT_DESC> candidates(size_t(std::max(c.maxSamples, 1)));
            candidates[0] = ZINT_DESC{};
            ASSERT_EQ(guess(c.values.data(), int64_t(c.values.size()), c.flag, c.maxSamples, candidates.data()),
                      c.result);
            for (size_t i = 0; i < c.names.size(); ++i)
                EXPECT_EQ(std::string(candidates[i].name), c.names[i]) << "candidate " << i;
        }
    }
}

TEST(TimeIdGuess, InputChecksOfZinttiu)
{
    orvtest::moduleHost();
    std::vector<ZINT_DESC> candidates(3);
    const std::vector<double> withMissing = {day(1, 1), orvMissing(), day(3, 1)};
    EXPECT_EQ(zinttiu(withMissing.data(), 3, 0, 3, candidates.data()), -2);
    /* A calendar interval in the first record turns the range check on. */
    candidates[0].code = ZINT_DAY;
    const std::vector<double> beyond = {day(1, 1), 7000000, day(3, 1)};
    EXPECT_EQ(zinttiu2(beyond.data(), 3, 0, 3, candidates.data()), -3);
    candidates[0] = ZINT_DESC{};
    EXPECT_NE(zinttiu(beyond.data(), 3, 0, 3, candidates.data()), -3);
    /* Values out of order are handed on sorted: the same months. */
    const std::vector<double> shuffled = {day(3, 1), day(1, 1), day(5, 1), day(2, 1), day(4, 1)};
    EXPECT_EQ(zinttiu(shuffled.data(), 5, 0, 3, candidates.data()), 1);
    EXPECT_EQ(std::string(candidates[0].name), "MONTH");
    EXPECT_EQ(zinttiu(nullptr, 5, 0, 3, candidates.data()), -1);
}

}  // namespace
