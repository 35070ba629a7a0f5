#include "results/KeyboardChart.h"
#include "results/ReactionHistogram.h"
#include "results/ResultsFeature.h"
#include "results/StatsWindow.h"

#include "fakes/TemporaryDirectory.h"

#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
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
    QTRY_COMPARE(window.latestFigure("合計"), QString("4970 ms"));
    EXPECT_EQ(window.latestFigure("ミス"), "2 回");
    EXPECT_EQ(window.latestFigure("中央値"), "435.0 ms");
    EXPECT_EQ(window.latestFigure("ばらつき"), "75.4 ms");
    EXPECT_EQ(window.sentenceShown(0), "");
    EXPECT_TRUE(window.comparisonSentence().startsWith("最初のゲーム"));

    feature().recordFinishedGame(plainGame(3100));
    QTRY_COMPARE(window.latestFigure("合計"), QString("3100 ms"));
    EXPECT_EQ(window.latestFigure("ミス"), "1 回");
    EXPECT_EQ(window.comparisonSentence(), "★ 自己ベスト更新！ これまでのベスト比 −1870 ms、前回比 −1870 ms（マイナスは速い）。");
    feature().recordFinishedGame(plainGame(3350));
    QTRY_COMPARE(window.comparisonSentence(), QString("前回比 +250 ms、自己ベスト比 +250 ms（マイナスは速い）。"));

    feature().showWindow();
    EXPECT_EQ(feature().window(), &window) << "one results window at a time";
    window.closeButton()->click();
    QTRY_VERIFY(feature().window() == nullptr);
    EXPECT_EQ(feature().store().loadSummary().scores.size(), 3u);
}

TEST_F(ResultsWindow, keysAreGreenWhenFasterThanTheUsualRedWhenSlowerPaleAsUsualAndGreyWhenRare)
{
    std::array<Statistics::LetterSummary, 26> letters{};
    for (int i = 0; i < 26; ++i)
        letters[static_cast<std::size_t>(i)] = {static_cast<char>('A' + i), 0, 0};
    letters['A' - 'A'] = {'A', 5, 300};
    letters['B' - 'A'] = {'B', 4, 380};
    letters['E' - 'A'] = {'E', 9, 400};
    letters['K' - 'A'] = {'K', 3, 700};
    letters['Q' - 'A'] = {'Q', 2, 900};  // too few to say
    KeyboardChart chart;
    chart.setLetters(letters, 3, 400, 100);
    const auto hue = [&](char letter) { return chart.keyColour(letter).hsvHueF(); };
    const auto saturation = [&](char letter) { return chart.keyColour(letter).hsvSaturationF(); };
    EXPECT_NEAR(hue('A'), 0.38, 0.06) << "faster than usual is green";
    EXPECT_NEAR(hue('K'), 0.02, 0.03) << "slower than usual is red";
    EXPECT_GT(saturation('A'), saturation('B')) << "the farther from the usual, the fuller";
    EXPECT_LT(saturation('E'), 0.1) << "as usual is pale";
    EXPECT_EQ(chart.keyColour('Q'), QColor(0xc8, 0xc8, 0xc8));
    EXPECT_EQ(chart.keyColour('Z'), QColor(0xc8, 0xc8, 0xc8));
}

TEST_F(ResultsWindow, theWindowHasItsSizeBeforeTheFiguresArriveAndTheyFitInIt)
{
    for (int game = 0; game < 40; ++game)
        feature().recordFinishedGame(gameWith(100'000 + game, 999, {86'400'000'000, 350'000, 5'000'000, 420'000, 380'000,
                                                                    610'000, 450'000, 390'000, 470'000, 530'000}));
    StatsWindow& window = openWindow();
    const QSize opened = window.size();
    EXPECT_TRUE(window.minimumSize().width() <= opened.width() && window.minimumSize().height() <= opened.height());
    QTRY_VERIFY(window.sentenceShown(0).isEmpty());
    for (int tab = 0; tab < StatsWindow::kTabs; ++tab) {
        window.tabs()->setCurrentIndex(tab);
        QTRY_COMPARE(window.size(), opened);
        const QSize needed = window.minimumSizeHint();
        EXPECT_TRUE(needed.width() <= window.minimumSize().width() && needed.height() <= window.minimumSize().height())
            << "tab " << tab << " needs " << needed.width() << " x " << needed.height();
    }
}

TEST_F(ResultsWindow, everyChartIsNamedAndSaysInASentenceWhatItShows)
{
    feature().recordFinishedGame(gameWith(4970, 2, {400'000, 350'000, 500'000, 420'000, 380'000, 610'000, 450'000,
                                                    390'000, 470'000, 530'000}));
    StatsWindow& window = openWindow();
    QTRY_VERIFY(window.sentenceShown(0).isEmpty());
    EXPECT_EQ(window.accessibleName(), "成績");
    EXPECT_EQ(window.chart(0)->accessibleDescription(), "合計 4970 ms、ミス 2 回。いちばん遅かったのは 6 回目の F で 610 ms。");
    EXPECT_EQ(window.chart(1)->accessibleDescription(),
              "ゲーム 1 回のスコア。最高は 1 ゲーム目の 4970 ms、直近 10 ゲームの平均は 4970 ms。");
    EXPECT_TRUE(window.chart(2)->accessibleDescription().startsWith("遅い文字はまだ言えません。あと 7 ゲームほどで"));
    EXPECT_EQ(window.chart(3)->accessibleDescription(),
              "反応 10 回の分布。中央値 435 ms、速い方から 10% は 377 ms、90% は 538 ms。");
    for (int tab = 0; tab < StatsWindow::kTabs; ++tab) {
        EXPECT_FALSE(window.chart(tab)->accessibleName().isEmpty());
        EXPECT_EQ(window.tabs()->widget(tab)->accessibleName(), window.tabs()->tabText(tab));
    }

    window.tableButton()->click();
    QTRY_VERIFY(window.stopsTable()->isVisible());
    ASSERT_EQ(window.stopsTable()->rowCount(), 10);
    EXPECT_EQ(window.stopsTable()->item(5, 1)->text(), "F");
    EXPECT_EQ(window.stopsTable()->item(5, 2)->text(), "610.0");
    EXPECT_EQ(window.stopsTable()->item(9, 0)->text(), "10（スコア外）");
    window.tableButton()->click();
    QTRY_VERIFY(window.chart(0)->isVisible());
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
    QTRY_COMPARE(window.latestFigure("合計"), QString("2500 ms"));
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
