#include "game/BestScoreValue.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace {

TEST(BestScoreValue, readsDecimalTextAndRoundsHalvesToTheEvenNeighbour)
{
    struct Case {
        const char* text;
        std::int32_t expected;
    };
    const Case cases[] = {
        {"4970", 4970},
        {" 42", 42},
        {"42\t ", 42},
        {"+7", 7},
        {"00012", 12},
        {"1234.5", 1234},
        {"1235.5", 1236},
        {"0.5", 0},
        {"2.5000", 2},
        {"2.5001", 3},
        {"5.", 5},
        {".5", 0},
        {"-0", 0},
        {"-0.5", 0},
        {"2147483647", std::numeric_limits<std::int32_t>::max()},
        {"2147483647.4", std::numeric_limits<std::int32_t>::max()},
    };
    for (const Case& c : cases)
        EXPECT_EQ(bestScoreValue(c.text), c.expected) << '"' << c.text << '"';
}

TEST(BestScoreValue, tellsEmptyTextFromNonNumbersFromNumbersBeyondThirtyTwoBitsAndFromNegatives)
{
    struct Case {
        const char* text;
        BestScoreProblem expected;
    };
    const Case cases[] = {
        {"", BestScoreProblem::Empty},
        {"  ", BestScoreProblem::Empty},
        {"abc", BestScoreProblem::NotANumber},
        {"12a", BestScoreProblem::NotANumber},
        {"1 2", BestScoreProblem::NotANumber},
        {".", BestScoreProblem::NotANumber},
        {"-", BestScoreProblem::NotANumber},
        {"1e3", BestScoreProblem::NotANumber},
        {"９９", BestScoreProblem::NotANumber},
        {"99999999999", BestScoreProblem::OutOfRange},
        {"2147483648", BestScoreProblem::OutOfRange},
        {"-2147483649", BestScoreProblem::OutOfRange},
        {"2147483647.5", BestScoreProblem::OutOfRange},
        {"-2147483648.6", BestScoreProblem::OutOfRange},
        {"123456789012345678901234567890", BestScoreProblem::OutOfRange},
        // Lower is better, so a stored negative score could never be beaten: it is damage.
        {"-3", BestScoreProblem::Negative},
        {"-5", BestScoreProblem::Negative},
        {"-2.5", BestScoreProblem::Negative},
        {"-0.6", BestScoreProblem::Negative},
        {"-2147483648", BestScoreProblem::Negative},
    };
    for (const Case& c : cases) {
        const auto parsed = parseBestScore(c.text);
        ASSERT_TRUE(std::holds_alternative<BestScoreProblem>(parsed)) << '"' << c.text << '"';
        EXPECT_EQ(std::get<BestScoreProblem>(parsed), c.expected) << '"' << c.text << '"';
        EXPECT_EQ(bestScoreValue(c.text), std::nullopt) << '"' << c.text << '"';
    }
}

} // namespace
