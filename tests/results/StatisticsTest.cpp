#include "results/Statistics.h"

#include <gtest/gtest.h>

namespace {

using namespace Statistics;

TEST(Statistics, figuresOfHandWorkedTables)
{
    struct Case {
        const char* name;
        std::vector<double> values;
        double mean, median, spread, tenth, ninetieth;
    };
    const Case cases[] = {
        {"one stop", {412}, 412, 412, 0, 412, 412},
        {"all ten equal", std::vector<double>(10, 300), 300, 300, 0, 300, 300},
        {"two", {200, 100}, 150, 150, 50, 110, 190},
        // Sorted 350 380 390 400 420 450 470 500 530 610; squares of the deviations sum to 56800.
        {"the worked game", {400, 350, 500, 420, 380, 610, 450, 390, 470, 530}, 450, 435, 75.36577, 377, 538},
        {"odd count", {5, 1, 3}, 3, 3, 1.632993, 1.4, 4.6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_DOUBLE_EQ(mean(c.values), c.mean);
        EXPECT_DOUBLE_EQ(median(c.values), c.median);
        EXPECT_NEAR(standardDeviation(c.values), c.spread, 1e-5);
        EXPECT_NEAR(percentile(c.values, 0.1), c.tenth, 1e-9);
        EXPECT_NEAR(percentile(c.values, 0.9), c.ninetieth, 1e-9);
    }
    EXPECT_EQ(mean({}), 0);
    EXPECT_EQ(median({}), 0);
}

TEST(Statistics, runningMeanTakesTheLastTenGamesOrAllWhileThereAreFewer)
{
    std::vector<double> scores;
    for (int i = 1; i <= 12; ++i)
        scores.push_back(i);
    const std::vector<double> expected{1, 1.5, 2, 2.5, 3, 3.5, 4, 4.5, 5, 5.5, 6.5, 7.5};
    EXPECT_EQ(runningMeanOfTen(scores), expected);
}

TEST(Statistics, histogramBinsAreTenMillisecondsFromTheBinOfTheLeastValue)
{
    struct Case {
        const char* name;
        std::vector<double> values;
        int maximumBins;
        double firstBinStart;
        std::vector<int> counts;
        bool open;
    };
    const Case cases[] = {
        {"edges go up", {0, 9.99, 10, 25, 25.5, 41}, 300, 0, {2, 1, 2, 0, 1}, false},
        {"starts at the least value's bin", {123.4, 131, 129.9}, 300, 120, {2, 1}, false},
        {"one value", {412.7}, 300, 410, {1}, false},
        {"a reaction left standing goes into the open last bin", {5, 7, 15, 3'600'000}, 3, 0, {2, 1, 1}, true},
        {"as many bins as allowed, none open", {5, 25}, 3, 0, {1, 0, 1}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Histogram result = histogram(c.values, 10, c.maximumBins);
        EXPECT_EQ(result.firstBinStartMs, c.firstBinStart);
        EXPECT_EQ(result.counts, c.counts);
        EXPECT_EQ(result.lastBinOpen, c.open);
    }
}

TEST(Statistics, letterMediansAndTheSlowestLettersSeenOftenEnough)
{
    const std::vector<LetterReaction> reactions{
        {'A', 300}, {'A', 500},                // seen twice: the median lies between
        {'K', 700}, {'K', 650}, {'K', 900},    // the slowest of those seen three times
        {'B', 200}, {'B', 250}, {'B', 210},
        {'Z', 600}, {'Z', 600}, {'Z', 620},
        {'Q', 999},                            // the slowest median, but once only
    };
    const auto letters = letterMedians(reactions);
    EXPECT_EQ(letters[0].letter, 'A');
    EXPECT_EQ(letters[0].count, 2);
    EXPECT_DOUBLE_EQ(letters[0].medianMs, 400);
    EXPECT_EQ(letters['K' - 'A'].count, 3);
    EXPECT_DOUBLE_EQ(letters['K' - 'A'].medianMs, 700);
    EXPECT_EQ(letters['C' - 'A'].count, 0);

    const auto names = [&](double usualMs) {
        std::string result;
        for (const LetterSummary& letter : slowestLetters(letters, 3, 3, usualMs))
            result += letter.letter;
        return result;
    };
    EXPECT_EQ(names(0), "KZB") << "at most three";
    EXPECT_EQ(names(600), "K") << "only those slower than usual: Z's 600 is the usual";
    EXPECT_EQ(names(700), "");
}

TEST(Statistics, toneIsMinusOneForFasterThanUsualByTheScaleZeroForUsualAndOneForSlower)
{
    EXPECT_DOUBLE_EQ(tone(300, 400, 100), -1);
    EXPECT_DOUBLE_EQ(tone(250, 400, 100), -1);
    EXPECT_DOUBLE_EQ(tone(350, 400, 100), -0.5);
    EXPECT_DOUBLE_EQ(tone(400, 400, 100), 0);
    EXPECT_DOUBLE_EQ(tone(460, 400, 100), 0.6);
    EXPECT_DOUBLE_EQ(tone(900, 400, 100), 1);
    EXPECT_DOUBLE_EQ(tone(900, 400, 0), 0);
}

TEST(Statistics, tenThousandGamesOfEveryMillisecondFromZeroTo999)
{
    // 100,000 reactions: each whole millisecond 0..999 a hundred times.
    std::vector<double> all;
    std::vector<double> scores;
    for (int i = 0; i < 100'000; ++i)
        all.push_back(i % 1000);
    for (int game = 0; game < 10'000; ++game)
        scores.push_back(game);
    EXPECT_DOUBLE_EQ(median(all), 499.5);
    EXPECT_NEAR(percentile(all, 0.1), 99.9, 1e-9);  // rank 9999.9 between 99 and 100
    const Histogram bins = histogram(all, 10);
    ASSERT_EQ(bins.counts.size(), 100u);
    for (int count : bins.counts)
        ASSERT_EQ(count, 1000);
    EXPECT_DOUBLE_EQ(runningMeanOfTen(scores).back(), 9994.5);
}

} // namespace
