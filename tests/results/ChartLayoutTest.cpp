#include "results/HistogramLayout.h"
#include "results/HistoryLayout.h"
#include "results/KeyboardLayout.h"
#include "results/LatestGameLayout.h"
#include "results/ResultsFigures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

// A proportional font of sorts: narrow digits and Latin letters, wide Japanese characters.
const TextMetrics kMetrics{[](const std::string& text) {
                               double width = 0;
                               for (unsigned char c : text)
                                   width += c < 0x80 ? 7 : (c >= 0xC0 ? 13 : 0);
                               return width;
                           },
                           15};

FinishedGame gameOf(std::vector<double> reactionsMs, std::vector<int> wrongKeys = {})
{
    FinishedGame game;
    for (std::size_t i = 0; i < reactionsMs.size(); ++i)
        game.stops.push_back({static_cast<char>('A' + (i * 7) % 26), static_cast<std::int64_t>(reactionsMs[i] * 1000),
                              i < wrongKeys.size() ? wrongKeys[i] : 0});
    return game;
}

void expectReadable(const ChartLayout& chart, const ChartBox& area)
{
    ASSERT_FALSE(chart.labels.empty());
    for (std::size_t i = 0; i < chart.labels.size(); ++i) {
        const ChartItem& label = chart.labels[i];
        EXPECT_TRUE(area.contains(label.box)) << label.text << " lies outside the chart";
        for (std::size_t j = i + 1; j < chart.labels.size(); ++j)
            EXPECT_FALSE(label.box.overlaps(chart.labels[j].box)) << label.text << " and " << chart.labels[j].text;
        for (const auto* others : {&chart.lines, &chart.swatches, &chart.bars})
            for (const ChartItem& other : *others)
                EXPECT_FALSE(label.box.overlaps(other.box))
                    << label.text << " and a line, bar or swatch at " << other.box.left << ", " << other.box.top;
    }
}

// The value axis's unit heads its column of numbers, from the chart's left edge.
void expectUnitAtTheLeftEdge(const ChartLayout& chart, const ChartBox& area, const std::string& unit)
{
    const auto found = std::find_if(chart.labels.begin(), chart.labels.end(),
                                    [&](const ChartItem& label) { return label.text == unit; });
    ASSERT_NE(found, chart.labels.end()) << "no unit " << unit;
    EXPECT_DOUBLE_EQ(found->box.left, area.left) << unit;
    EXPECT_LT(found->box.bottom(), chart.plot.top + kMetrics.lineHeight) << unit << " stands below the plot's top";
}

struct History {
    const char* what;
    std::vector<FinishedGame> games;
};

std::vector<History> histories()
{
    std::vector<History> result;
    result.push_back({"one game", {gameOf({400, 350, 500, 420, 380, 610, 450, 390, 470, 530}, {0, 2, 0, 0, 1})}});
    result.push_back({"all reactions equal", {gameOf(std::vector<double>(10, 300)), gameOf(std::vector<double>(10, 300))}});
    result.push_back({"zero everywhere", {gameOf(std::vector<double>(10, 0))}});
    result.push_back({"slow and wide numbers",
                      {gameOf({12345, 8, 23456, 99999, 5, 1234, 60000, 7, 3, 45678}, {12, 999, 0, 3, 0, 1, 0, 0, 0, 7})}});
    result.push_back({"reactions left standing for most of an hour",
                      {gameOf({3'599'999, 200, 3'599'999, 300, 250, 3'599'999, 200, 200, 200, 3'599'999})}});
    History many{"137 games", {}};
    for (int i = 0; i < 137; ++i)
        many.games.push_back(gameOf(std::vector<double>(10, 150 + (i * 37) % 400), {i % 3}));
    result.push_back(many);
    return result;
}

TEST(ChartLayout, noTextOfAnyChartOverlapsAnotherTextALineOrABarAndAllStayInside)
{
    // The window's least chart sizes, a common one and a large one.
    const ChartBox areas[] = {{0, 0, 272, 202}, {5, 7, 480, 300}, {0, 0, 900, 600}};
    for (const History& history : histories()) {
        HistorySummary summary;
        for (const FinishedGame& game : history.games)
            summary.add(game);
        const ResultsFigures figures = computeResultsFigures(summary);
        for (const ChartBox& area : areas) {
            SCOPED_TRACE(std::string(history.what) + " in " + std::to_string(area.width) + " x "
                         + std::to_string(area.height));
            {
                SCOPED_TRACE("latest game");
                const ChartLayout chart = LatestGameLayout::layout(*summary.latest, area, kMetrics);
                expectReadable(chart, area);
                expectUnitAtTheLeftEdge(chart, area, "反応 (ms)");
            }
            {
                SCOPED_TRACE("history");
                const ChartLayout chart = HistoryLayout::layout(summary.scores, figures.bestGame, area, kMetrics);
                expectReadable(chart, area);
                expectUnitAtTheLeftEdge(chart, area, "スコア (ms)");
            }
            {
                SCOPED_TRACE("distribution");
                const ChartLayout chart = HistogramLayout::layout(figures.histogram, figures.tenthPercentileMs,
                                                                  figures.medianMs, figures.ninetiethPercentileMs, area,
                                                                  kMetrics);
                expectReadable(chart, area);
                expectUnitAtTheLeftEdge(chart, area, "反応の数");
            }
        }
    }
}

TEST(ChartLayout, theLatestGameWritesEachStopsLetterTimeAndWrongKeysUnderItsBar)
{
    const FinishedGame game = gameOf({400, 350, 500, 420, 380, 610, 450, 390, 470, 530}, {0, 2});
    const ChartLayout chart = LatestGameLayout::layout(game, {0, 0, 480, 300}, kMetrics);
    ASSERT_EQ(chart.bars.size(), 10u);
    const auto labelAt = [&](const std::string& text) -> const ChartItem* {
        for (const ChartItem& label : chart.labels)
            if (label.text == text)
                return &label;
        return nullptr;
    };
    for (const char* text : {"反応 (ms)", "文字", "ms", "誤キー", "610", "530", "2"})
        EXPECT_NE(labelAt(text), nullptr) << text;
    const ChartItem& tenth = chart.bars.back();
    EXPECT_EQ(tenth.kind, LatestGameLayout::Tenth);
    EXPECT_EQ(chart.bars[8].kind, LatestGameLayout::Counted);
    EXPECT_EQ(labelAt("530")->kind, LatestGameLayout::Tenth);
    EXPECT_EQ(labelAt("2")->kind, LatestGameLayout::WrongKeys);
    const double centre = chart.bars[1].box.left + chart.bars[1].box.width / 2;
    EXPECT_NEAR(labelAt("2")->box.left + labelAt("2")->box.width / 2, centre, 0.01) << "under the second bar";
    EXPECT_GT(labelAt("2")->box.top, labelAt("350")->box.top);
    EXPECT_GT(labelAt("350")->box.top, chart.plot.bottom());
    // Bars stand on the axis at heights in proportion to their time.
    EXPECT_NEAR(chart.bars[5].box.bottom(), chart.plot.bottom(), 0.01);
    EXPECT_NEAR(chart.bars[5].box.height / chart.bars[1].box.height, 610.0 / 350, 1e-9);
    EXPECT_GE(chart.yHigh, 610);
}

TEST(ChartLayout, theHistoryNumbersEveryGameUnderItsDotWhileTheyAreFew)
{
    const ChartLayout chart = HistoryLayout::layout({4000, 3500, 3800}, 1, {0, 0, 480, 300}, kMetrics);
    for (const char* game : {"1", "2", "3"}) {
        const auto label = std::find_if(chart.labels.begin(), chart.labels.end(),
                                        [&](const ChartItem& item) { return item.text == game; });
        ASSERT_NE(label, chart.labels.end()) << game;
        EXPECT_NEAR(label->box.left + label->box.width / 2, chart.xAt(std::stod(game)), 1e-9);
        EXPECT_GT(label->box.top, chart.plot.bottom());
    }
}

// The keys fill the room above the legend: from the top margin down to 8 px above its bar when
// the height is what limits them, else 1.5 times as tall as wide in the middle of that room.
TEST(ChartLayout, theKeyboardsKeysStandInQwertyRowsAsLargeAsTheRoomAboveTheLegendAllows)
{
    struct Case {
        ChartBox area;
        bool heightLimits;
    };
    const Case cases[] = {
        {{0, 0, 280, 210}, false},  // the chart's least size
        {{0, 0, 460, 300}, false},
        {{0, 0, 900, 600}, false},
        {{0, 0, 900, 300}, true},
        {{0, 0, 700, 220}, true},
        {{5, 7, 600, 250}, true},
    };
    const char* const rows[] = {"QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM"};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.area.width) + " x " + std::to_string(c.area.height));
        const KeyboardLayout::Keyboard keyboard = KeyboardLayout::layout(c.area, kMetrics);
        ASSERT_EQ(keyboard.keys.size(), 26u);
        for (const ChartBox& legend : {keyboard.bar, keyboard.faster.box, keyboard.slower.box, keyboard.scale})
            EXPECT_TRUE(c.area.contains(legend)) << "legend at " << legend.left << ", " << legend.top;
        // The legend stands at the chart's foot: the words whole at the bar's ends, the ms row
        // under the bar, 4 px above the bottom edge.
        EXPECT_LE(keyboard.faster.box.right(), keyboard.bar.left);
        EXPECT_GE(keyboard.slower.box.left, keyboard.bar.right());
        for (const ChartItem& word : {keyboard.faster, keyboard.slower}) {
            EXPECT_GE(word.box.width, kMetrics.width(word.text)) << word.text;
            EXPECT_NEAR(word.box.top + word.box.height / 2, keyboard.bar.top + keyboard.bar.height / 2, 1e-9)
                << word.text << " beside the bar";
        }
        EXPECT_NEAR(keyboard.faster.box.left - c.area.left, c.area.right() - keyboard.slower.box.right(), 1e-9);
        EXPECT_NEAR(keyboard.bar.left - keyboard.faster.box.right(), keyboard.slower.box.left - keyboard.bar.right(), 1e-9);
        EXPECT_GE(keyboard.scale.top, keyboard.bar.bottom());
        EXPECT_NEAR(keyboard.scale.bottom(), c.area.bottom() - 4, 1e-9);
        for (std::size_t i = 0; i < keyboard.keys.size(); ++i) {
            const ChartBox& key = keyboard.keys[i].box;
            EXPECT_TRUE(c.area.contains(key)) << keyboard.keys[i].letter << " lies outside";
            for (std::size_t j = i + 1; j < keyboard.keys.size(); ++j)
                EXPECT_FALSE(key.overlaps(keyboard.keys[j].box)) << keyboard.keys[i].letter << keyboard.keys[j].letter;
            EXPECT_DOUBLE_EQ(key.width, keyboard.keys[0].box.width) << keyboard.keys[i].letter;
            EXPECT_DOUBLE_EQ(key.height, keyboard.keys[0].box.height) << keyboard.keys[i].letter;
        }
        const double width = keyboard.keys[0].box.width;
        const double height = keyboard.keys[0].box.height;

        // Row by row, left to right, each row half a key further right than the one above.
        std::size_t next = 0;
        for (int row = 0; row < 3; ++row) {
            const ChartBox& first = keyboard.keys[next].box;
            EXPECT_NEAR(first.left, keyboard.keys[0].box.left + row * width / 2, 1e-9) << "row " << row;
            for (const char* letter = rows[row]; *letter != '\0'; ++letter, ++next) {
                const KeyboardLayout::Key& key = keyboard.keys[next];
                EXPECT_EQ(key.letter, *letter);
                EXPECT_DOUBLE_EQ(key.box.top, first.top) << key.letter;
                if (key.letter != *rows[row])
                    EXPECT_GT(key.box.left, keyboard.keys[next - 1].box.left) << key.letter;
            }
        }

        const ChartBox& topLeft = keyboard.keys[0].box;
        const ChartBox& topRight = keyboard.keys[9].box;
        const double bottom = keyboard.keys.back().box.bottom();
        const double roomBottom = keyboard.bar.top - 8;
        EXPECT_NEAR(topLeft.left - c.area.left, c.area.right() - topRight.right(), 1e-9) << "centred across";
        if (c.heightLimits) {
            EXPECT_LT(height / width, 1.5);
            EXPECT_NEAR(topLeft.top, c.area.top + 4, 1e-9);
            EXPECT_NEAR(bottom, roomBottom, 1e-9);
        } else {
            EXPECT_NEAR(height / width, 1.5, 1e-9);
            EXPECT_NEAR(topLeft.top - c.area.top, roomBottom - bottom, 1e-9) << "centred in the room";
            EXPECT_GE(topLeft.top, c.area.top + 4);
        }
    }
}

TEST(ChartLayout, ticksStandOnRoundValuesAndAreFewEnough)
{
    struct Case {
        double low, high;
        int most;
        double leastStep;
        bool extend;
        std::vector<double> values;
    };
    const Case cases[] = {
        {0, 612, 5, 1, true, {0, 200, 400, 600, 800}},
        {0, 612, 8, 1, true, {0, 100, 200, 300, 400, 500, 600, 700}},
        {0, 0, 5, 1, true, {0, 1}},
        {1, 3, 10, 1, false, {1, 2, 3}},
        {1, 137, 4, 1, false, {50, 100}},
        {1, 137, 6, 1, false, {20, 40, 60, 80, 100, 120}},
        {120, 170, 20, 10, false, {120, 130, 140, 150, 160, 170}},
        {0, 86'400'000, 4, 1, true, {0, 50'000'000, 100'000'000}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.low) + ".." + std::to_string(c.high) + " most " + std::to_string(c.most));
        EXPECT_EQ(roundTicks(c.low, c.high, c.most, c.leastStep, c.extend).values, c.values);
    }
}

TEST(ResultsFigures, theLatestGameIsComparedWithThePreviousAndTheBestBefore)
{
    struct Case {
        const char* what;
        std::vector<std::int64_t> scores;
        std::optional<double> previous, best;
        bool newBest;
    };
    const Case cases[] = {
        {"the first game has nothing to compare with", {4000}, {}, {}, false},
        {"better than the last, not the best", {3000, 4500, 4000}, -500, 1000, false},
        {"a new best", {3000, 4500, 2900}, -1600, -100, true},
        {"equal to the best is no new best", {3000, 3500, 3000}, -500, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HistorySummary summary;
        for (std::int64_t score : c.scores) {
            FinishedGame game = gameOf(std::vector<double>(10, 300));
            game.score = score;
            summary.add(game);
        }
        const ResultsFigures figures = computeResultsFigures(summary);
        EXPECT_EQ(figures.versusPreviousMs, c.previous);
        EXPECT_EQ(figures.versusBestMs, c.best);
        EXPECT_EQ(figures.newBest, c.newBest);
    }
}

TEST(ResultsFigures, theKeyboardNamesOnlyLettersSlowerThanTheUsualSeenThreeTimesAndSaysHowManyGamesItStillNeeds)
{
    struct Case {
        const char* what;
        std::vector<std::vector<std::pair<char, double>>> games;
        std::string slowest;
        int gamesNeeded;
        double scaleMs;  // the farthest letter from the usual, up to 50 ms steps
    };
    const auto game = [](char letter, double ms, int times, double othersMs) {
        std::vector<std::pair<char, double>> stops;
        for (int i = 0; i < 10; ++i)
            stops.emplace_back(i < times ? letter : static_cast<char>('B' + i), i < times ? ms : othersMs);
        return stops;
    };
    const Case cases[] = {
        {"one letter three times, faster than usual, is not slow", {game('A', 200, 3, 400)}, "", 7, 200},
        {"one letter three times, slower than usual, is slow", {game('A', 610, 3, 400)}, "A", 7, 250},
        {"twice is not enough", {game('A', 900, 2, 400)}, "", 7, 50},
        {"at most three, slowest first",
         {game('Q', 700, 3, 300), game('W', 800, 3, 300), game('E', 650, 3, 300), game('R', 900, 3, 300),
          game('T', 100, 3, 300), game('Y', 300, 3, 300), game('U', 300, 3, 300), game('I', 300, 3, 300),
          game('O', 300, 3, 300)},
         "RWQ",
         0,
         600},
        {"equally slow letters in the keyboard's alphabetical order",
         {game('W', 800, 3, 300), game('Q', 800, 3, 300), game('R', 800, 3, 300), game('P', 800, 3, 300),
          game('T', 300, 3, 300), game('Y', 300, 3, 300), game('U', 300, 3, 300), game('I', 300, 3, 300),
          game('O', 300, 3, 300)},
         "PQR",
         0,
         500},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HistorySummary summary;
        for (const auto& stops : c.games) {
            FinishedGame finished;
            for (const auto& [letter, ms] : stops)
                finished.stops.push_back({letter, static_cast<std::int64_t>(ms * 1000), 0});
            summary.add(finished);
        }
        const ResultsFigures figures = computeResultsFigures(summary);
        std::string names;
        for (const Statistics::LetterSummary& letter : figures.slowest)
            names += letter.letter;
        EXPECT_EQ(names, c.slowest);
        EXPECT_EQ(figures.gamesStillNeeded, c.gamesNeeded);
        EXPECT_EQ(figures.keyScaleMs, c.scaleMs);
        for (const Statistics::LetterSummary& letter : figures.slowest)
            EXPECT_GT(Statistics::tone(letter.medianMs, figures.medianMs, figures.keyScaleMs), 0) << "a slow key is red";
    }
}

} // namespace
