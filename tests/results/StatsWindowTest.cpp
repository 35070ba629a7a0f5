#include "results/KeyboardChart.h"
#include "results/ReactionHistogram.h"
#include "results/HistoryExportRun.h"
#include "results/ResultsFeature.h"
#include "results/StatsWindow.h"

#include "fakes/TemporaryDirectory.h"

#include <QProgressDialog>
#include <QPushButton>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QTabBar>
#include <SQLiteCpp/Database.h>
#include <QTabWidget>
#include <QTableWidget>
#include <QtTest>
#include <gtest/gtest.h>

#include <filesystem>
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
        if (!feature_) {
            store_ = std::make_unique<HistoryStore>(directory.path() + "/history.sqlite3", "20260101-000000");
            feature_ = std::make_unique<ResultsFeature>(
                *store_, owner, [this](QWidget*, const QString& message) { messages << message; });
        }
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
    std::unique_ptr<HistoryStore> store_;
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
    feature().history().recordFinishedGame(gameWith(4970, 2, {400'000, 350'000, 500'000, 420'000, 380'000, 610'000, 450'000,
                                                    390'000, 470'000, 530'000}));
    StatsWindow& window = openWindow();
    QTRY_COMPARE(window.latestFigure("合計"), QString("4970 ms"));
    EXPECT_EQ(window.latestFigure("ミス"), "2 回");
    EXPECT_EQ(window.latestFigure("中央値"), "435.0 ms");
    EXPECT_EQ(window.latestFigure("ばらつき"), "75.4 ms");
    // A figure can be picked out with the mouse, to be copied.
    QLabel* total = nullptr;
    for (QLabel* label : window.findChildren<QLabel*>())
        if (label->text() == "4970 ms")
            total = label;
    ASSERT_NE(total, nullptr);
    QTRY_VERIFY(total->isVisible());
    // The figures stand flush right, one under another like a column of sums.
    const QImage picture = total->grab().toImage();
    int firstInk = picture.width(), lastInk = -1;
    for (int x = 0; x < picture.width(); ++x)
        for (int y = 0; y < picture.height(); ++y)
            if (qGray(picture.pixel(x, y)) < qGray(picture.pixel(0, 0)) - 64) {
                firstInk = std::min(firstInk, x);
                lastInk = std::max(lastInk, x);
            }
    ASSERT_GT(picture.width(), 3 * (lastInk - firstInk)) << "the field is too narrow to tell";
    EXPECT_GE(lastInk, picture.width() - 8);
    const int middle = total->height() / 2;
    QTest::mousePress(total, Qt::LeftButton, {}, QPoint(1, middle));
    QTest::mouseMove(total, QPoint(total->width() - 1, middle));
    QTest::mouseRelease(total, Qt::LeftButton, {}, QPoint(total->width() - 1, middle));
    EXPECT_EQ(total->selectedText(), "4970 ms");
    EXPECT_EQ(window.sentenceShown(0), "");
    EXPECT_TRUE(window.comparisonSentence().startsWith("最初のゲーム"));

    feature().history().recordFinishedGame(plainGame(3100));
    QTRY_COMPARE(window.latestFigure("合計"), QString("3100 ms"));
    EXPECT_EQ(window.latestFigure("ミス"), "1 回");
    EXPECT_EQ(window.comparisonSentence(), "★ 自己ベスト更新！ これまでのベスト比 −1870 ms、前回比 −1870 ms（マイナスは速い）。");
    feature().history().recordFinishedGame(plainGame(3350));
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
        feature().history().recordFinishedGame(gameWith(100'000 + game, 999, {3'599'999'000, 350'000, 5'000'000, 420'000, 380'000,
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
    feature().history().recordFinishedGame(gameWith(4970, 2, {400'000, 350'000, 500'000, 420'000, 380'000, 610'000, 450'000,
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
    feature().history().recordFinishedGame(gameWith(1000, 0, {100'000, 109'999, 110'000, 125'000, 131'000, 131'500, 100'500,
                                                    140'000, 140'001, 102'000}));
    feature().history().recordFinishedGame(gameWith(1000, 0, std::vector<std::int64_t>(10, 120'000)));
    StatsWindow& window = openWindow();
    QTRY_COMPARE(window.histogram()->histogram().counts, (std::vector<int>{4, 1, 11, 2, 2}));
    EXPECT_EQ(window.histogram()->histogram().firstBinStartMs, 100);
    EXPECT_NE(window.slowestLettersSentence().indexOf("まだ言えません"), -1) << "no letter has been seen three times";
}

// The games reach the history file itself, not only its journal, once the journal is long: on
// the worker, for it syncs the disk.
TEST_F(ResultsWindow, aLongJournalIsMovedIntoTheHistoryFile)
{
    ResultsFeature& results = feature();
    const std::string file = results.store().path();
    const auto before = std::filesystem::file_size(file);
    for (int game = 0; game < 10'000 && !results.store().wantsCheckpoint(); ++game)
        results.history().recordFinishedGame(plainGame(4000 + game));
    ASSERT_TRUE(results.store().wantsCheckpoint());
    QTRY_VERIFY_WITH_TIMEOUT(std::filesystem::file_size(file) > before, 10'000);
}

TEST_F(ResultsWindow, aHistoryThatCannotBeUsedKeepsThisRunsGamesAndSaysSoOnce)
{
    ASSERT_EQ(::mkfifo((directory.path() + "/history.sqlite3").c_str(), 0600), 0);
    feature();
    QTRY_COMPARE(messages.size(), 1);
    EXPECT_NE(messages[0].indexOf(QString::fromStdString(directory.path() + "/history.sqlite3")), -1);
    feature().history().recordFinishedGame(plainGame(2000));
    feature().history().recordFinishedGame(plainGame(2500));
    StatsWindow& window = openWindow();
    QTRY_COMPARE(window.latestFigure("合計"), QString("2500 ms"));
    EXPECT_EQ(messages.size(), 1) << "one message per fault and run";
    EXPECT_EQ(window.historySource(), "") << "beside the record, the history needs no naming";
}

TEST_F(ResultsWindow, aHistoryKeptElsewhereIsToldOnceAndNamedInTheWindow)
{
    feature().tellLocation("notice", "この画面の成績: /elsewhere/history.sqlite3");
    QTRY_COMPARE(messages, QStringList{"notice"});
    EXPECT_EQ(openWindow().historySource(), "この画面の成績: /elsewhere/history.sqlite3");
}

TEST_F(ResultsWindow, theCsvGoesWhereThePlayerSaysOrAMessageSaysWhyNot)
{
    feature().history().recordFinishedGame(plainGame(2000));
    const QString unwritable = QString::fromStdString(directory.path()) + "/no-such-folder/history.csv";
    const auto problem = feature().exportCsvTo(unwritable);
    ASSERT_TRUE(problem.has_value());
    EXPECT_NE(problem->indexOf(unwritable), -1);

    // A FIFO or a device the player names stays what it is; it is not swapped for a plain file.
    const std::string fifo = directory.path() + "/pipe.csv";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(feature().exportCsvTo(QString::fromStdString(fifo)),
              QString::fromStdString("CSV を " + fifo + " に書き出せませんでした（" + fifo + " はFIFOで、普通のファイルではありません）。"));
    EXPECT_EQ(std::filesystem::status(fifo).type(), std::filesystem::file_type::fifo);

    const QString good = QString::fromStdString(directory.path()) + "/history.csv";
    EXPECT_EQ(feature().exportCsvTo(good), std::nullopt);
    std::ifstream in(good.toStdString(), std::ios::binary);
    const std::string csv{std::istreambuf_iterator<char>(in), {}};
    EXPECT_EQ(csv.rfind("\xEF\xBB\xBF", 0), 0u);
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 11);
}

TEST_F(ResultsWindow, aHistoryThatCannotBeReadSaysWhyAndNeverThatThereAreNoGames)
{
    const struct {
        const char* name;
        const char* sql;
        const char* reason;
    } cases[] = {
        {"a renamed column",
         "CREATE TABLE games(id INTEGER PRIMARY KEY, finished_at_ms, utc_offset_min, points, misses);"
         "CREATE TABLE stops(game_id, stop, letter, reaction_us, wrong_keys); PRAGMA user_version = 1",
         "games.score"},
        {"no stops table", "CREATE TABLE games(id INTEGER PRIMARY KEY, finished_at_ms, utc_offset_min, score, misses);"
                           "PRAGMA user_version = 1", "stops"},
        {"a newer version", "PRAGMA user_version = 9", "新しい版"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        feature_.reset();
        store_.reset();
        messages.clear();
        std::filesystem::remove(directory.path() + "/history.sqlite3");
        SQLite::Database(directory.path() + "/history.sqlite3", SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE).exec(c.sql);
        StatsWindow& window = openWindow();
        for (int tab = 0; tab < StatsWindow::kTabs; ++tab) {
            QTRY_VERIFY(window.sentenceShown(tab).startsWith("成績の履歴を読めませんでした"));
            EXPECT_NE(window.sentenceShown(tab).indexOf(c.reason), -1) << window.sentenceShown(tab).toStdString();
            EXPECT_EQ(window.sentenceShown(tab).indexOf("まだありません"), -1);
        }
        EXPECT_FALSE(window.exportButton()->isEnabled());
        QTRY_COMPARE(messages.size(), 1);

        feature().history().recordFinishedGame(plainGame(2500));
        QTRY_COMPARE(window.latestFigure("合計"), QString("2500 ms"));
        EXPECT_TRUE(window.notice().startsWith("成績の履歴を読めませんでした")) << window.notice().toStdString();
        EXPECT_NE(window.notice().indexOf("この実行で終えたゲームだけ"), -1);
    }
}

TEST_F(ResultsWindow, gamesLeftOutOfTheFiguresAreCountedByReasonOverTheTabs)
{
    {
        SQLite::Database other(directory.path() + "/history.sqlite3", SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
        other.exec("CREATE TABLE games(id INTEGER PRIMARY KEY, finished_at_ms, utc_offset_min, score, misses);"
                   "CREATE TABLE stops(game_id, stop, letter, reaction_us, wrong_keys); PRAGMA user_version = 1;"
                   "INSERT INTO games VALUES(1, 1765000000000, 540, 4000, 0), (2, 1765000000000, 540, 4100, 0),"
                   "(3, 1765000000000, 540, 4200, 0), (4, 1765000000000, 540, 4300, 0);"
                   "WITH RECURSIVE n(v) AS (SELECT 1 UNION ALL SELECT v + 1 FROM n WHERE v < 10) "
                   "INSERT INTO stops SELECT g, v, 'K', 400000, 0 FROM n, (SELECT 1 AS g UNION SELECT 2 UNION SELECT 3 UNION SELECT 4);"
                   "UPDATE stops SET reaction_us = NULL WHERE game_id = 2 AND stop = 3;"
                   "UPDATE stops SET reaction_us = -100 WHERE game_id = 3 AND stop = 3;"
                   "DELETE FROM stops WHERE game_id = 4 AND stop = 10;");
    }
    StatsWindow& window = openWindow();
    QTRY_COMPARE(window.latestFigure("合計"), QString("4000 ms"));
    EXPECT_EQ(window.notice(), "履歴のうち 3 ゲームは読めない値を含むため、成績から除きました（ストップが 10 個でない: 1、"
                               "反応時間が 0〜1 時間の外: 2）。CSV には記録されたまま書き出します。");
    EXPECT_TRUE(window.exportButton()->isEnabled());
}

TEST_F(ResultsWindow, theExportRunsBesideTheWindowAndLeavesAFifoAsItIsWithAPlainMessage)
{
    feature().history().recordFinishedGame(plainGame(2000));
    StatsWindow& window = openWindow();
    QTRY_VERIFY(window.exportButton()->isEnabled());
    QStringList finished;
    int progressShown = -1;
    QObject::connect(&feature(), &ResultsFeature::exportFinished, [&](const QString& problem) {
        finished << problem;
        progressShown = feature().exportRun()->progressDialog()->value();
    });

    const std::string fifo = directory.path() + "/pipe.csv";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    feature().startExport(QString::fromStdString(fifo));  // a write to a FIFO no one reads would hang here
    QTRY_COMPARE(finished.size(), 1);
    EXPECT_EQ(finished[0], QString::fromStdString("CSV を " + fifo + " に書き出せませんでした（" + fifo
                                                  + " はFIFOで、普通のファイルではありません）。"));
    EXPECT_EQ(messages.back(), finished[0]);
    EXPECT_EQ(std::filesystem::status(fifo).type(), std::filesystem::file_type::fifo);
    EXPECT_EQ(window.exportDone(), "") << "nothing was written";

    const std::string good = directory.path() + "/history.csv";
    QTRY_VERIFY(feature().exportRun() == nullptr);
    feature().startExport(QString::fromStdString(good));
    EXPECT_FALSE(window.exportButton()->isEnabled()) << "one export at a time";
    QTRY_COMPARE(finished.size(), 2);
    EXPECT_EQ(finished[1], "");
    EXPECT_EQ(window.exportDone(), QString::fromStdString(good + " に書き出しました。"));
    EXPECT_EQ(progressShown, 100);
    QTRY_VERIFY(window.exportButton()->isEnabled());
    std::ifstream in(good, std::ios::binary);
    const std::string csv{std::istreambuf_iterator<char>(in), {}};
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 11);
}

// Qt 6 names files in UTF-8 only, so a folder whose name is in another encoding cannot be handed
// to the dialog at all; it starts in the home folder then, never in the program's folder (where
// a path that does not exist would leave it).
TEST(ResultsExport, theSaveDialogStartsInTheDocumentsFolderOrWhereQtCanNameTheNearestOne)
{
    TemporaryDirectory home;
    const QByteArray savedHome = qgetenv("HOME"), savedConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", QByteArray::fromStdString(home.path()));
    qunsetenv("XDG_CONFIG_HOME");
    std::filesystem::create_directory(home.path() + "/.config");
    const struct {
        const char* name;
        std::string folder;  // the bytes of its name
        bool named;
    } cases[] = {
        {"UTF-8", "\xE6\x96\x87\xE6\x9B\xB8", true},
        {"Latin-1", "Dokumente-\xE4", false},
        {"EUC-JP", "\xCA\xB8\xBD\xF1", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::create_directory(home.path() + "/" + c.folder);
        std::ofstream(home.path() + "/.config/user-dirs.dirs") << "XDG_DOCUMENTS_DIR=\"$HOME/" << c.folder << "\"\n";
        const QString folder = ResultsFeature::saveFolder();
        EXPECT_EQ(QFile::encodeName(folder).toStdString(), home.path() + (c.named ? "/" + c.folder : ""));
        EXPECT_TRUE(QFileInfo(folder).isDir());
    }
    qputenv("HOME", savedHome);
    if (savedConfig.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", savedConfig);
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
