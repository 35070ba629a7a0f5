#include "results/KeyboardChart.h"
#include "results/ReactionHistogram.h"
#include "results/ResultsFeature.h"
#include "results/StatsWindow.h"

#include "fakes/TemporaryDirectory.h"

#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QtTest>
#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>

namespace {

FinishedGame gameWith(std::int64_t score, int misses, std::vector<std::int64_t> reactionsUs)
{
    FinishedGame game{0, 0, score, misses, {}};
    for (std::size_t i = 0; i < reactionsUs.size(); ++i)
        game.stops.push_back({static_cast<char>('A' + i), reactionsUs[i], 0});
    return game;
}

FinishedGame plainGame(std::int64_t score)
{
    return gameWith(score, 1, std::vector<std::int64_t>(10, 300'000));
}

struct ResultsWindow : ::testing::Test {
    ResultsFeature& feature()
    {
        if (!feature_)
            feature_ = std::make_unique<ResultsFeature>(
                directory.path() + "/score.dat", owner,
                [this](QWidget*, const QString& message) { messages << message; });
        return *feature_;
    }
    StatsWindow& openWindow()
    {
        feature().showWindow();
        EXPECT_NE(feature().window(), nullptr);
        return *feature().window();
    }

    TemporaryDirectory directory;
    QWidget owner;
    QStringList messages;
    std::unique_ptr<ResultsFeature> feature_;
};

TEST_F(ResultsWindow, anEmptyHistorySaysSoInEveryTabInsteadOfEmptyCharts)
{
    StatsWindow& window = openWindow();
    EXPECT_EQ(window.windowTitle(), "成績");
    for (int tab = 0; tab < StatsWindow::kTabs; ++tab)
        QTRY_VERIFY(window.sentenceShown(tab).startsWith("終わったゲームはまだありません"));
    EXPECT_FALSE(window.exportButton()->isEnabled());
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(ResultsWindow, theOpenWindowFollowsEveryGameThatEnds)
{
    feature().recordFinishedGame(gameWith(4970, 2, {400'000, 350'000, 500'000, 420'000, 380'000, 610'000, 450'000,
                                                    390'000, 470'000, 530'000}));
    StatsWindow& window = openWindow();
    QTRY_COMPARE(window.latestFigure("合計"), QString("4970"));
    EXPECT_EQ(window.latestFigure("ミス"), "2");
    EXPECT_EQ(window.latestFigure("中央値"), "435.0 ms");
    EXPECT_EQ(window.latestFigure("ばらつき"), "75.4 ms");
    EXPECT_EQ(window.sentenceShown(0), "");

    feature().recordFinishedGame(plainGame(3100));
    QTRY_COMPARE(window.latestFigure("合計"), QString("3100"));
    EXPECT_EQ(window.latestFigure("ミス"), "1");

    feature().showWindow();
    EXPECT_EQ(feature().window(), &window) << "one results window at a time";
    window.closeButton()->click();
    QTRY_VERIFY(feature().window() == nullptr);
    EXPECT_EQ(feature().store().loadSummary().scores.size(), 2u);
}

TEST_F(ResultsWindow, keyColoursGoFromGreenForTheFastestToRedForTheSlowestAndGreyForRareLetters)
{
    std::array<Statistics::LetterSummary, 26> letters{};
    for (int i = 0; i < 26; ++i)
        letters[static_cast<std::size_t>(i)] = {static_cast<char>('A' + i), 0, 0};
    letters['K' - 'A'] = {'K', 3, 700};
    letters['A' - 'A'] = {'A', 5, 300};
    letters['B' - 'A'] = {'B', 4, 500};
    letters['E' - 'A'] = {'E', 9, 500};
    letters['Q' - 'A'] = {'Q', 2, 900};  // too few to say
    KeyboardChart chart;
    chart.setLetters(letters, 3);
    const auto hue = [&](char letter) { return chart.keyColour(letter).hsvHueF(); };
    EXPECT_NEAR(hue('A'), 1.0 / 3, 1e-3) << "the fastest is green";
    EXPECT_NEAR(hue('K'), 0, 1e-3) << "the slowest is red";
    EXPECT_GT(hue('A'), hue('B'));
    EXPECT_GT(hue('B'), hue('K'));
    EXPECT_EQ(chart.keyColour('B'), chart.keyColour('E'));
    EXPECT_EQ(chart.keyColour('Q'), QColor(0xc8, 0xc8, 0xc8));
    EXPECT_EQ(chart.keyColour('Z'), QColor(0xc8, 0xc8, 0xc8));
}

TEST_F(ResultsWindow, theDistributionCountsEveryReactionOfEveryGameInTenMillisecondBins)
{
    feature().recordFinishedGame(gameWith(1000, 0, {100'000, 109'999, 110'000, 125'000, 131'000, 131'500, 100'500,
                                                    140'000, 140'001, 102'000}));
    feature().recordFinishedGame(gameWith(1000, 0, std::vector<std::int64_t>(10, 120'000)));
    StatsWindow& window = openWindow();
    QTRY_COMPARE(window.histogram()->histogram().counts, (std::vector<int>{4, 1, 11, 2, 2}));
    EXPECT_EQ(window.histogram()->histogram().firstBinStartMs, 100);
    EXPECT_NE(window.slowestLettersSentence().indexOf("まだ言えません"), -1) << "no letter has been seen three times";
}

TEST_F(ResultsWindow, aHistoryThatCannotBeUsedKeepsThisRunsGamesAndSaysSoOnce)
{
    ASSERT_EQ(::mkfifo((directory.path() + "/history.sqlite3").c_str(), 0600), 0);
    feature();
    QTRY_COMPARE(messages.size(), 1);
    EXPECT_NE(messages[0].indexOf(QString::fromStdString(directory.path() + "/history.sqlite3")), -1);
    feature().recordFinishedGame(plainGame(2000));
    feature().recordFinishedGame(plainGame(2500));
    StatsWindow& window = openWindow();
    QTRY_COMPARE(window.latestFigure("合計"), QString("2500"));
    EXPECT_EQ(messages.size(), 1) << "one message per fault and run";
}

TEST_F(ResultsWindow, theCsvGoesWhereThePlayerSaysOrAMessageSaysWhyNot)
{
    feature().recordFinishedGame(plainGame(2000));
    const QString unwritable = QString::fromStdString(directory.path()) + "/no-such-folder/history.csv";
    const auto problem = feature().exportCsvTo(unwritable);
    ASSERT_TRUE(problem.has_value());
    EXPECT_NE(problem->indexOf(unwritable), -1);

    const QString good = QString::fromStdString(directory.path()) + "/history.csv";
    EXPECT_EQ(feature().exportCsvTo(good), std::nullopt);
    std::ifstream in(good.toStdString(), std::ios::binary);
    const std::string csv{std::istreambuf_iterator<char>(in), {}};
    EXPECT_EQ(csv.rfind("\xEF\xBB\xBF", 0), 0u);
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 11);
}

} // namespace

namespace {

// Reached from the keyboard alone: Ctrl+Tab moves along the tabs, Ctrl+S exports, Escape closes,
// wherever the focus is in the window.
TEST(StatsWindowKeys, ctrlTabMovesBetweenTabsCtrlSExportsAndEscapeCloses)
{
    StatsWindow window;
    window.setFigures(ResultsFigures{});
    window.exportButton()->setEnabled(true);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    int exports = 0;
    QObject::connect(&window, &StatsWindow::exportRequested, [&] { ++exports; });
    for (QWidget* focus : {static_cast<QWidget*>(window.closeButton()), static_cast<QWidget*>(window.tabs()->tabBar())}) {
        focus->setFocus();
        const int tab = window.tabs()->currentIndex();
        QTest::keyClick(window.windowHandle(), Qt::Key_Tab, Qt::ControlModifier);
        EXPECT_EQ(window.tabs()->currentIndex(), (tab + 1) % StatsWindow::kTabs) << focus->metaObject()->className();
        const int before = exports;
        QTest::keyClick(window.windowHandle(), Qt::Key_S, Qt::ControlModifier);
        QTRY_COMPARE(exports, before + 1);
        QTest::keyClick(window.windowHandle(), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_EQ(window.tabs()->currentIndex(), tab);
    }
    QTest::keyClick(window.windowHandle(), Qt::Key_Escape);
    EXPECT_FALSE(window.isVisible());
}

} // namespace
