#include "results/ChartPainter.h"
#include "results/HistogramLayout.h"
#include "results/HistoryChart.h"
#include "results/HistoryLayout.h"
#include "results/KeyboardChart.h"
#include "results/LatestGameChart.h"
#include "results/LatestGameLayout.h"
#include "results/ReactionHistogram.h"
#include "results/Statistics.h"

#include <QEvent>
#include <QImage>
#include <QTest>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

namespace {

const QColor kBlack(0, 0, 0);
const QColor kGrey(0x70, 0x70, 0x70);
const QColor kBlue(0x3a, 0x6e, 0xa5);
const QColor kPaleBlue(0xb8, 0xc8, 0xdc);
const QColor kRed(0xc0, 0x20, 0x20);
const QColor kGreen(0x20, 0x90, 0x40);
const QColor kOrange(0xe0, 0x80, 0x10);

bool near(QColor seen, QColor wanted)
{
    constexpr int kTolerance = 48;  // text and round shapes are antialiased
    return std::abs(seen.red() - wanted.red()) <= kTolerance && std::abs(seen.green() - wanted.green()) <= kTolerance
           && std::abs(seen.blue() - wanted.blue()) <= kTolerance;
}

QColor centreOf(const QImage& image, const ChartBox& box)
{
    return image.pixelColor(static_cast<int>(box.left + box.width / 2), static_cast<int>(box.top + box.height / 2));
}

// The pixel of a text's box that stands out most from the white ground: the colour of its ink.
QColor inkOf(const QImage& image, const ChartBox& box)
{
    QColor ink = Qt::white;
    for (int y = static_cast<int>(box.top); y < static_cast<int>(std::ceil(box.bottom())); ++y)
        for (int x = static_cast<int>(box.left); x < static_cast<int>(std::ceil(box.right())); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() + c.green() + c.blue() < ink.red() + ink.green() + ink.blue())
                ink = c;
        }
    return ink;
}

std::string describe(const ChartItem& item, QColor seen)
{
    return "kind " + std::to_string(item.kind) + " '" + item.text + "' at " + std::to_string(item.box.left) + ","
           + std::to_string(item.box.top) + " seen " + seen.name().toStdString();
}

// Every bar, line and text of a chart is painted where its layout put it, in its kind's colour.
void expectPaintedAsLaidOut(QWidget& chartWidget, const ChartLayout& chart,
                            const std::function<QColor(int)>& barColour, const std::function<QColor(int)>& lineColour,
                            const std::function<QColor(int)>& textColour)
{
    const QImage image = chartWidget.grab().toImage();
    ASSERT_FALSE(chart.bars.empty() && chart.labels.empty());
    for (const ChartItem& bar : chart.bars) {
        const QColor seen = centreOf(image, bar.box);
        EXPECT_TRUE(near(seen, barColour(bar.kind))) << "bar " << describe(bar, seen);
    }
    for (const ChartItem& line : chart.lines) {
        const QColor seen = centreOf(image, line.box);
        EXPECT_TRUE(near(seen, lineColour(line.kind))) << "line " << describe(line, seen);
    }
    for (const ChartItem& label : chart.labels) {
        const QColor seen = inkOf(image, label.box);
        EXPECT_TRUE(near(seen, textColour(label.kind))) << "text " << describe(label, seen);
    }
}

// The numbers along an axis are black whatever a chart's marks are called.
void expectAxisNumbersBlack(QWidget& chartWidget, const ChartLayout& chart)
{
    const QImage image = chartWidget.grab().toImage();
    int numbers = 0;
    for (const ChartItem& label : chart.labels) {
        if (label.text.empty() || label.text.find_first_not_of("0123456789,") != std::string::npos
            || label.box.overlaps(chart.plot))
            continue;
        ++numbers;
        const QColor seen = inkOf(image, label.box);
        EXPECT_TRUE(near(seen, kBlack)) << "axis number " << describe(label, seen);
    }
    EXPECT_GE(numbers, 4);
}

FinishedGame latestGame()
{
    FinishedGame game{0, 0, 4'321, 3, {}};
    const std::int64_t reactionsMs[] = {312, 455, 280, 1'204, 390, 333, 610, 298, 402, 377};
    for (int i = 0; i < 10; ++i)
        game.stops.push_back({static_cast<char>('A' + 3 * i % 26), reactionsMs[i] * 1000, i == 3 ? 2 : i == 7 ? 1 : 0});
    return game;
}

TEST(ChartPictures, theLastGamesBarsLinesAndTextsArePaintedInTheirColours)
{
    LatestGameChart widget;
    widget.resize(460, 300);
    const FinishedGame game = latestGame();
    widget.setGame(game);
    const ChartLayout chart = LatestGameLayout::layout(game, ChartPainter::areaOf(widget), ChartPainter::metricsOf(widget.font()));
    expectPaintedAsLaidOut(
        widget, chart, [](int kind) { return kind == LatestGameLayout::Tenth ? kPaleBlue : kBlue; },
        [](int) { return kGrey; },
        [](int kind) { return kind == LatestGameLayout::WrongKeys ? kRed : kind == LatestGameLayout::Tenth ? kGrey : kBlack; });
}

TEST(ChartPictures, theDistributionsBinsMarksLegendAndTextsArePaintedInTheirColours)
{
    ReactionHistogram widget;
    widget.resize(460, 300);
    std::vector<double> reactions;
    for (int i = 0; i < 200; ++i)
        reactions.push_back(250 + (i * 37) % 300);
    const Statistics::Histogram histogram = Statistics::histogram(reactions);
    const double tenth = Statistics::percentile(reactions, 0.1);
    const double median = Statistics::median(reactions);
    const double ninetieth = Statistics::percentile(reactions, 0.9);
    widget.setHistogram(histogram, median, tenth, ninetieth);
    const ChartLayout chart = HistogramLayout::layout(histogram, tenth, median, ninetieth, ChartPainter::areaOf(widget),
                                                      ChartPainter::metricsOf(widget.font()));
    const auto markColour = [](int kind) {
        return kind == HistogramLayout::Tenth ? kGreen : kind == HistogramLayout::Median ? kRed
               : kind == HistogramLayout::Ninetieth ? kOrange : kBlack;
    };
    expectPaintedAsLaidOut(widget, chart, [](int) { return kBlue; },
                           [&](int kind) { return kind == HistogramLayout::Bin ? kGrey : markColour(kind); }, markColour);
    expectAxisNumbersBlack(widget, chart);
    const QImage image = widget.grab().toImage();
    ASSERT_EQ(chart.swatches.size(), 3u);
    for (const ChartItem& swatch : chart.swatches)
        EXPECT_TRUE(near(centreOf(image, swatch.box), markColour(swatch.kind))) << "swatch " << swatch.kind;
}

TEST(ChartPictures, theHistorysAxesTextsAndLegendSamplesArePaintedInTheirColours)
{
    HistoryChart widget;
    widget.resize(460, 300);
    const std::vector<double> scores{5'200, 4'800, 4'100, 4'650, 3'900, 4'400};
    widget.setScores(scores, {5'200, 5'000, 4'700, 4'688, 4'530, 4'508}, 4);
    const ChartLayout chart = HistoryLayout::layout(scores, 4, ChartPainter::areaOf(widget), ChartPainter::metricsOf(widget.font()));
    expectPaintedAsLaidOut(widget, chart, [](int) { return kBlue; }, [](int) { return kGrey; },
                           [](int kind) { return kind == HistoryLayout::Best ? kRed : kBlack; });
    expectAxisNumbersBlack(widget, chart);
    const QImage image = widget.grab().toImage();
    ASSERT_EQ(chart.swatches.size(), 3u);
    for (const ChartItem& swatch : chart.swatches) {
        const ChartBox& box = swatch.box;
        // The best game's sample is a ring: its colour is on the edge, not in the middle.
        const QColor seen = swatch.kind == HistoryLayout::Best
                                ? image.pixelColor(static_cast<int>(box.left + 1), static_cast<int>(box.top + box.height / 2))
                                : centreOf(image, box);
        const QColor wanted = swatch.kind == HistoryLayout::Score ? kBlue : swatch.kind == HistoryLayout::Mean ? kOrange : kRed;
        EXPECT_TRUE(near(seen, wanted)) << describe(swatch, seen);
    }
}

// Whether any pixel of the lower-right quarter of a key, inside its border, is not the key's
// colour: that is where its median and count are written.
bool inkInLowerRight(const QImage& image, const ChartBox& key, QColor keyColour)
{
    for (int y = static_cast<int>(key.top + key.height / 2); y < static_cast<int>(key.bottom() - 3); ++y)
        for (int x = static_cast<int>(key.left + key.width / 2); x < static_cast<int>(key.right() - 3); ++x)
            if (!near(image.pixelColor(x, y), keyColour))
                return true;
    return false;
}

// The results window can stand while the history still loads: until then every key is grey with
// its letter only; a letter given figures gets its median and count.
TEST(ChartPictures, keysCarryTheirMedianAndCountOnlyOnceTheyHaveFigures)
{
    KeyboardChart widget;
    widget.resize(460, 300);
    const KeyboardLayout::Keyboard keyboard = widget.layout();
    const QColor grey(0xc8, 0xc8, 0xc8);
    const QImage waiting = widget.grab().toImage();
    for (const KeyboardLayout::Key& key : keyboard.keys) {
        const ChartBox upperLeft{key.box.left + 3, key.box.top + 1, key.box.width / 2, key.box.height / 2};
        EXPECT_TRUE(near(centreOf(waiting, key.box), grey)) << key.letter;
        EXPECT_TRUE(near(inkOf(waiting, upperLeft), kBlack)) << key.letter << " has no letter";
        EXPECT_FALSE(inkInLowerRight(waiting, key.box, grey)) << key.letter << " has figures";
    }

    std::array<Statistics::LetterSummary, 26> letters{};
    letters['A' - 'A'] = {'A', 5, 300};
    letters['B' - 'A'] = {'B', 1, 900};  // seen once: still grey, but its figures show
    widget.setLetters(letters, 3, 400, 100);
    const QImage given = widget.grab().toImage();
    for (const KeyboardLayout::Key& key : keyboard.keys)
        EXPECT_EQ(inkInLowerRight(given, key.box, widget.keyColour(key.letter)), key.letter == 'A' || key.letter == 'B')
            << key.letter;
}

class PaintCount final : public QObject {
public:
    explicit PaintCount(QWidget& widget) { widget.installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

// A chart on screen shows new figures as soon as it is given them.
TEST(ChartPictures, eachChartOnScreenRepaintsWhenGivenNewFigures)
{
    LatestGameChart latest;
    ReactionHistogram histogram;
    HistoryChart history;
    KeyboardChart keyboard;
    const std::vector<double> reactions(40, 300);
    const std::pair<QWidget*, std::function<void()>> charts[] = {
        {&latest, [&] { latest.setGame(latestGame()); }},
        {&histogram, [&] { histogram.setHistogram(Statistics::histogram(reactions), 300, 300, 300); }},
        {&history, [&] { history.setScores({5'000, 4'000}, {5'000, 4'500}, 1); }},
        {&keyboard, [&] { keyboard.setLetters({}, 3, 300, 50); }},
    };
    for (const auto& [widget, giveFigures] : charts) {
        widget->resize(400, 300);
        widget->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(widget));
        PaintCount count(*widget);
        giveFigures();
        QTRY_VERIFY2(count.paints > 0, widget->metaObject()->className());
    }
}

} // namespace
