#include "App.h"
#include "ui/KeyRouter.h"

#include "fakes/RecordingMediaDevice.h"
#include "fakes/RecordingShell.h"
#include "fakes/ScriptedRandom.h"
#include "fakes/TemporaryDirectory.h"
#include "platform/SteadyClock.h"
#include "platform/SurfaceImage.h"
#include "platform/SurfaceWidget.h"
#include "platform/TerminationSignals.h"
#include "record/RecordWindows.h"
#include "record/ScoreWindow.h"
#include "record/UserNameWindow.h"
#include "results/ResultsFeature.h"
#include "results/StatsWindow.h"
#include "tests/record/RecordWindowTestSupport.h"

#include <QApplication>
#include <SQLiteCpp/Database.h>
#include <QDialog>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <gtest/gtest.h>

#include <QPointer>

#include <algorithm>
#include <csignal>
#include <functional>
#include <filesystem>
#include <fstream>
#include <functional>

// A real window system's key path: shortcuts first, then the window, then the focused control.
Q_GUI_EXPORT void qt_handleKeyEvent(QWindow* w, QEvent::Type t, int k, Qt::KeyboardModifiers mods,
                                    const QString& text, bool autorep, ushort count);

namespace {

// Runs `onPaint` on each paint of a widget.
class PaintWatch final : public QObject {
public:
    PaintWatch(QWidget* widget, std::function<void()> onPaint) : onPaint_(std::move(onPaint))
    {
        widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            onPaint_();
        return false;
    }

private:
    std::function<void()> onPaint_;
};

struct AppTest : ::testing::Test {
    AppTest()
    {
        std::ofstream(directory.path() + "/score.dat", std::ios::binary) << "\"abc\"\r\n\"5000\"\r\n";
        app = std::make_unique<App>(App::Devices{start, kaiten, bgm, goal}, clock, random, shell, directory.path(),
                                    directory.path() + "/score.dat");
        window = &app->window();
        window->show();
        window->activateWindow();
        app->startUp();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window));
        log.clear();
    }

    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(window->windowHandle(), static_cast<Qt::Key>(key), modifiers);
    }
    QString caption(MainLabel which) const { return window->label(which)->text(); }
    QLabel* labelWithText(const QString& text) const
    {
        for (QLabel* label : window->findChildren<QLabel*>())
            if (label->text() == text)
                return label;
        return nullptr;
    }
    bool reelIsBlank() const { return window->reelWindow()->surface() == Surface(137, 33, 0xFFFFFF); }
    int misses() const { return caption(MainLabel::Miss).toInt(); }

    // Runs `quit` on a pass of the application's own event loop and returns the loop's exit
    // status, 99 where the program does not end. (Quitting outside that loop would leave Qt's
    // quit flag set, and every later modal box would end at once.)
    static int exitStatusOf(const std::function<void()>& quit)
    {
        QTimer::singleShot(0, qApp, quit);
        QTimer endless;
        endless.setSingleShot(true);
        QObject::connect(&endless, &QTimer::timeout, [] { QCoreApplication::exit(99); });
        endless.start(10'000);
        return QApplication::exec();
    }

    std::vector<std::string> log;
    RecordingMediaDevice start{"start", log};
    RecordingMediaDevice kaiten{"kaiten", log};
    RecordingMediaDevice bgm{"bgm", log};
    RecordingMediaDevice goal{"goal", log};
    SteadyClock clock;
    ScriptedRandom random;
    RecordingShell shell;
    TemporaryDirectory directory;
    std::unique_ptr<App> app;
    MainWindow* window = nullptr;
};

TEST_F(AppTest, controlsStandWhereTheLayoutPutsThem)
{
    EXPECT_EQ(window->centralWidget()->size(), QSize(338, 228));
    EXPECT_EQ(window->windowTitle(), "Zumikko");
    struct Case {
        QWidget* widget;
        QRect geometry;
    };
    const Case cases[] = {
        {window->reelWindow(), {80, 96, 137, 33}},
        {window->startButton(), {0, 200, 300, 28}},
        {window->ledBar(), {0, 144, 300, 25}},
        {window->label(MainLabel::Kaisu), {8, 104, 65, 17}},
        // The typed letter, the counters and their headings are placed for the font used, in
        // the rows their neighbours leave visible: WindowLayoutTest checks them with each font.
    };
    for (const Case& c : cases) {
        ASSERT_NE(c.widget, nullptr);
        EXPECT_EQ(c.widget->geometry(), c.geometry) << c.widget->metaObject()->className();
    }
    // Sized to its text: it keeps its place and shows its whole text. (The stop marker's text is
    // placed in the marker's tab; WindowLayoutTest checks it.)
    for (const auto& [text, layout] : {std::pair{QStringLiteral("Your type"), QRect(232, 94, 57, 12)}}) {
        const QLabel* label = labelWithText(text);
        ASSERT_NE(label, nullptr) << text.toStdString();
        EXPECT_EQ(label->pos(), layout.topLeft()) << text.toStdString();
        EXPECT_GE(label->width(), std::max(layout.width(), QFontMetrics(label->font()).horizontalAdvance(text)))
            << text.toStdString();
        EXPECT_GE(label->height(), std::max(layout.height(), QFontMetrics(label->font()).height())) << text.toStdString();
    }
    EXPECT_EQ(caption(MainLabel::Kaisu), "Let's Start");
    EXPECT_EQ(window->startButton()->text(), "Start (Enter)");

    const QList<QAction*> menu = window->menuBar()->actions();
    ASSERT_EQ(menu.size(), 4);
    EXPECT_EQ(menu[0]->text(), "終了");
    EXPECT_EQ(menu[1]->text(), "スコアランキング");
    EXPECT_EQ(menu[2]->text(), "バージョン情報");
    EXPECT_EQ(menu[3]->text(), "成績");
}

TEST_F(AppTest, theReelWindowHasTheFocusAndTheStartButtonIsTheOnlyOtherTabStop)
{
    EXPECT_TRUE(window->reelWindow()->hasFocus());
    QTest::keyClick(window->windowHandle(), Qt::Key_Tab);
    EXPECT_TRUE(window->startButton()->hasFocus());
    QTest::keyClick(window->windowHandle(), Qt::Key_Tab);
    EXPECT_TRUE(window->reelWindow()->hasFocus());
}

TEST_F(AppTest, beforeTheFirstStartKeysDoNothingAndTheReelStaysBlank)
{
    for (const int key : {Qt::Key_A, Qt::Key_K, Qt::Key_1, Qt::Key_Space})
        press(key);
    // One marquee step: the event loop has run a while after the keys.
    const Surface bar = window->ledBar()->surface();
    QTRY_VERIFY(window->ledBar()->surface() != bar);
    EXPECT_TRUE(reelIsBlank());
    EXPECT_FALSE(app->reelTimerActive());
    EXPECT_EQ(caption(MainLabel::Miss), "0");
    EXPECT_EQ(caption(MainLabel::Type), "");
}

TEST_F(AppTest, enterPressesStartWhereverTheFocusIsAndIsNeverJudged)
{
    for (QWidget* focus : {static_cast<QWidget*>(window->reelWindow()), static_cast<QWidget*>(window->startButton())}) {
        focus->setFocus();
        QSignalSpy clicks(window->startButton(), &QPushButton::clicked);
        press(Qt::Key_Return);
        press(Qt::Key_Enter);
        EXPECT_EQ(clicks.count(), 2);
        EXPECT_EQ(caption(MainLabel::Kaisu), "あと10回");
        EXPECT_EQ(caption(MainLabel::Miss), "0") << "Enter is not a miss";
    }
    QTRY_VERIFY(!reelIsBlank());
}

// Which keys reach the judge, and with which code, is KeyRouter's; here the whole path of a real
// window system: shortcuts first, then the window, then the focused control, into the game.
TEST_F(AppTest, eachKeyReachesTheGameOnceWhicheverControlHasTheFocus)
{
    window->startButton()->click();
    struct Case {
        const char* what;
        QWidget* focus;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        bool autoRepeat;
        const char* typed;
    };
    const Case cases[] = {
        {"a letter on the reel window", window->reelWindow(), Qt::Key_A, Qt::NoModifier, false, "A"},
        {"a letter with Shift on the start button", window->startButton(), Qt::Key_B, Qt::ShiftModifier, false, "B"},
        {"auto-repeated Space on the start button", window->startButton(), Qt::Key_Space, Qt::NoModifier, true, ""},
        {"Tab on the reel window", window->reelWindow(), Qt::Key_Tab, Qt::NoModifier, false, ""},
    };
    for (const Case& c : cases) {
        c.focus->setFocus();
        const int before = caption(MainLabel::Miss).toInt();
        const QString text = c.key == Qt::Key_Space ? QStringLiteral(" ") : QString();
        qt_handleKeyEvent(window->windowHandle(), QEvent::KeyPress, c.key, c.modifiers, text, c.autoRepeat, 1);
        qt_handleKeyEvent(window->windowHandle(), QEvent::KeyRelease, c.key, c.modifiers, text, c.autoRepeat, 1);
        // Before the game's first stop every key is a miss, which makes each judgement countable.
        EXPECT_EQ(caption(MainLabel::Miss).toInt(), before + 1) << c.what;
        EXPECT_EQ(caption(MainLabel::Type), c.typed) << c.what;
    }
    EXPECT_EQ(caption(MainLabel::Kaisu), "あと10回") << "an auto-repeated Space does not press the button";
}

TEST_F(AppTest, eachReelTickPaintsTheReelWindowAndAStopIsPaintedBeforeItsTimeIsTaken)
{
    int paints = 0;
    std::int64_t stoppedPictureAt = 0;
    const PaintWatch watch(window->reelWindow(), [&] {
        ++paints;
        if (app->game().state().bolStop && stoppedPictureAt == 0)
            stoppedPictureAt = clock.nowMicroseconds();
    });
    press(Qt::Key_Return);
    // Each tick's picture is painted on the next pass of the event loop, well before the next.
    const int start = app->game().state().intReelX;
    const int paintsBefore = paints;
    QTRY_VERIFY(app->game().state().intReelX - start >= 40 * 4);
    const int ticks = (app->game().state().intReelX - start) / 4;
    EXPECT_GE(paints - paintsBefore, ticks / 2) << ticks << " ticks";
    random.queueHits(9);
    QTRY_VERIFY(app->game().state().bolStop);
    EXPECT_NE(stoppedPictureAt, 0);
    EXPECT_LE(stoppedPictureAt, app->game().state().lngStart);
}

TEST_F(AppTest, theReelScrollsStopsOnALetterAndARightKeyReleasesIt)
{
    press(Qt::Key_Return);
    QTRY_VERIFY(app->game().state().intReelX > 40);
    random.queueHits(9);
    QTRY_VERIFY(app->game().state().bolStop);
    EXPECT_FALSE(app->reelTimerActive()) << "nothing runs while the reel stands";
    EXPECT_EQ(caption(MainLabel::Kaisu), "あと9回");
    const std::string letter = app->game().state().strTarget;
    press(Qt::Key_A + (letter[0] - 'A'));
    EXPECT_EQ(caption(MainLabel::Miss), "0");
    EXPECT_FALSE(app->game().state().bolStop);
    EXPECT_TRUE(app->reelTimerActive());
}

// What the game says at its end reaches the player: the score over the main window, or the
// name-entry window with the new record.
struct WholeGame : AppTest {
    // Plays a game with one miss and the right key at each of its ten stops; returns its score.
    QString play(const char* bestOnFile)
    {
        std::ofstream(directory.path() + "/score.dat", std::ios::binary) << "\"abc\"\r\n\"" << bestOnFile << "\"\r\n";
        press(Qt::Key_Return);
        press(Qt::Key_1);  // a miss: the score is at least 500 whatever the reactions
        for (int stop = 0; stop < 10; ++stop) {
            random.queueHits(9);
            if (!QTest::qWaitFor([this] { return app->game().state().bolStop; }))
                return {};
            const std::string letter = app->game().state().strTarget;
            press(Qt::Key_A + (letter[0] - 'A'));
        }
        EXPECT_EQ(caption(MainLabel::Miss), "1");
        EXPECT_EQ(caption(MainLabel::Kaisu), "Let's Start");
        return caption(MainLabel::Score);
    }
};

TEST_F(WholeGame, aScoreWorseThanTheRecordIsShownOverTheMainWindow)
{
    const ModalBoxAnswerer answerer(ModalBoxAnswerer::key(Qt::Key_Return));
    const QString score = play("1");
    ASSERT_FALSE(score.isEmpty());
    QTRY_VERIFY(answerer.shown);
    EXPECT_EQ(answerer.text, QStringLiteral("あなたのスコア　") + score);
    EXPECT_EQ(answerer.parent, window);
    EXPECT_EQ(app->recordWindows().userNameWindow(), nullptr);
}

TEST_F(WholeGame, aNewRecordOpensTheNameEntryWithTheScore)
{
    const ModalBoxAnswerer answerer(ModalBoxAnswerer::key(Qt::Key_Return));
    const QString score = play("999999");
    ASSERT_FALSE(score.isEmpty());
    const QPointer<UserNameWindow> entry = app->recordWindows().userNameWindow();
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->lblScore()->text(), score);
    EXPECT_FALSE(answerer.shown);
}

TEST_F(AppTest, theTitleShowsTheDimFrameAtLoadAndTheBrightOneAfterTheFirstTick)
{
    const Surface frameA = surfaceFromImage(QImage(":/art/title_a.png"));
    const Surface frameB = surfaceFromImage(QImage(":/art/title_b.png"));
    ASSERT_NE(frameA, frameB);
    auto titleShows = [&](const Surface& frame) {
        for (int y = 0; y < 91; ++y)
            for (int x = 0; x < 300; ++x)
                if (window->windowSurface().pixel(x, y) != frame.pixel(x, y))
                    return false;
        return true;
    };
    EXPECT_TRUE(titleShows(frameB));
    QTRY_VERIFY_WITH_TIMEOUT(titleShows(frameA), 2000);
    QTRY_VERIFY_WITH_TIMEOUT(titleShows(frameB), 2000);
}

TEST_F(AppTest, theScoreMenuShowsOneBestScoreWindowHoweverOftenItIsChosen)
{
    window->scoreAction()->trigger();
    ScoreWindow* first = app->recordWindows().scoreWindow();
    ASSERT_NE(first, nullptr);
    window->scoreAction()->trigger();
    EXPECT_EQ(app->recordWindows().scoreWindow(), first);
    first->close();
}

// The stand-still itself is ReelDriver's; here the whole path from the menu's modal window.
TEST_F(AppTest, whileTheVersionWindowIsOpenTheReelStandsAndTheMarqueeMoves)
{
    press(Qt::Key_Return);
    QTRY_VERIFY(app->reelTimerActive());
    bool reelStood = false;
    bool marqueeMoved = false;
    QWindow* standsOver = nullptr;
    QTimer::singleShot(0, [&] {
        QWidget* version = QApplication::activeModalWidget();
        ASSERT_NE(version, nullptr);
        standsOver = version->windowHandle()->transientParent();
        QTRY_VERIFY(!app->reelTimerActive());
        const auto offset = app->game().state().intReelX;
        random.queueHits(9);
        // Time passes, as the marquee shows, while the reel stays where it was.
        Surface bar = window->ledBar()->surface();
        for (int step = 0; step < 3; ++step) {
            QTRY_VERIFY(window->ledBar()->surface() != bar);
            bar = window->ledBar()->surface();
        }
        marqueeMoved = true;
        reelStood = !app->reelTimerActive() && app->game().state().intReelX == offset && !app->game().state().bolStop;
        version->close();
    });
    window->versionAction()->trigger();  // modal: returns when the window above closes it
    EXPECT_EQ(standsOver, window->windowHandle()) << "the version window stands over the game";
    EXPECT_TRUE(reelStood);
    EXPECT_TRUE(marqueeMoved);
    QTRY_VERIFY(app->game().state().bolStop);  // the game goes on where it was
}

// The marquee and the title blink run at their own pace and repaint what they change.
TEST_F(AppTest, theDecorativeTimersRepaintTheirAreasNoSoonerThanTheirIntervals)
{
    std::vector<std::int64_t> ledChanges;
    Surface lastBar = window->ledBar()->surface();
    const PaintWatch ledWatch(window->ledBar(), [&] {
        if (window->ledBar()->surface() != lastBar) {
            lastBar = window->ledBar()->surface();
            ledChanges.push_back(clock.nowMicroseconds());
        }
    });
    std::vector<std::int64_t> titleChanges;
    std::uint32_t lastTitle = 0;
    const Surface frameA = surfaceFromImage(QImage(":/art/title_a.png"));
    const Surface frameB = surfaceFromImage(QImage(":/art/title_b.png"));
    // A pixel where the two frames differ tells which one the window shows.
    QPoint probe;
    for (int y = 0; y < 91 && probe.isNull(); ++y)
        for (int x = 0; x < 300 && probe.isNull(); ++x)
            if (frameA.pixel(x, y) != frameB.pixel(x, y))
                probe = QPoint(x, y);
    ASSERT_FALSE(probe.isNull());
    lastTitle = window->windowSurface().pixel(probe.x(), probe.y());
    const PaintWatch titleWatch(window->centralWidget(), [&] {
        const std::uint32_t shown = window->windowSurface().pixel(probe.x(), probe.y());
        if (shown != lastTitle) {
            lastTitle = shown;
            titleChanges.push_back(clock.nowMicroseconds());
        }
    });
    QTRY_VERIFY_WITH_TIMEOUT(titleChanges.size() >= 3 && ledChanges.size() >= 21, 5000);
    // Qt may wake a coarse timer up to 5 % early; a paint may come a little after its tick.
    EXPECT_GE((ledChanges[20] - ledChanges[0]) / 20, 45'000);
    EXPECT_GE(titleChanges[2] - titleChanges[1], 900'000);
}

// What reaches the screen: after many steps the bar the window shows is the marquee's own
// picture, so no cell a tick changed was left unpainted.
TEST_F(AppTest, everyCellTheMarqueeChangesReachesTheScreen)
{
    Surface bar = window->ledBar()->surface();
    for (int step = 0; step < 30; ++step) {
        QTRY_VERIFY(window->ledBar()->surface() != bar);
        bar = window->ledBar()->surface();
    }
    const QPoint at = window->ledBar()->mapTo(window, QPoint());
    const QPixmap shown = window->screen()->grabWindow(window->winId(), at.x(), at.y(), 300, 25);
    EXPECT_TRUE(surfaceFromImage(shown.toImage()) == window->ledBar()->surface());
}

// Every way out closes the four devices in order, stops the marquee and the title, and leaves
// the event loop with status 0, which is how a desktop tells a clean end from a crash.
TEST_F(AppTest, quittingClosingAndEndingOnASignalLeaveTheEventLoopWithStatusZero)
{
    struct Way {
        const char* what;
        std::function<void(MainWindow&)> end;
    };
    const Way ways[] = {
        {"終了", [](MainWindow& w) { w.quitAction()->trigger(); }},
        {"the close box", [](MainWindow& w) { closeFromTitleBar(&w); }},
        {"SIGTERM", [](MainWindow&) { std::raise(SIGTERM); }},
        {"SIGHUP", [](MainWindow&) { std::raise(SIGHUP); }},
    };
    app.reset();
    for (const Way& way : ways) {
        log.clear();
        TerminationSignals terminationSignals;
        App ending(App::Devices{start, kaiten, bgm, goal}, clock, random, shell, directory.path(),
                   directory.path() + "/score.dat");
        ending.endOn(terminationSignals);
        ending.window().show();
        ending.startUp();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&ending.window())) << way.what;
        ending.window().startButton()->click();
        QTRY_VERIFY(ending.window().animationsArmed());
        EXPECT_EQ(exitStatusOf([&] {
                      EXPECT_TRUE(ending.reelTimerActive()) << way.what;
                      log.clear();
                      way.end(ending.window());
                  }),
                  0)
            << way.what;
        EXPECT_TRUE(ending.ended()) << way.what;
        EXPECT_FALSE(ending.reelTimerActive()) << way.what;
        EXPECT_FALSE(ending.window().animationsArmed()) << way.what;
        // A signal comes on a later pass of the loop, which a reel tick may take first.
        ASSERT_GE(log.size(), 4u) << way.what;
        EXPECT_EQ(std::vector<std::string>(log.end() - 4, log.end()),
                  (std::vector<std::string>{"kaiten Close", "start Close", "bgm Close", "goal Close"}))
            << way.what;
    }
}

// So that a compositor (Wayland has no other hint) places them over the game.
TEST_F(AppTest, theBestScoreWindowStandsOverTheMainWindow)
{
    window->scoreAction()->trigger();
    QPointer<ScoreWindow> score = app->recordWindows().scoreWindow();
    ASSERT_NE(score, nullptr);
    ASSERT_NE(score->windowHandle(), nullptr);
    EXPECT_EQ(score->windowHandle()->transientParent(), window->windowHandle());
    score->close();
}

// The results window stands over the game like the best-score window, once, and shows each game
// that ends while it is open with the very score and misses the main window counted.
TEST_F(AppTest, theResultsWindowShowsTheGameThatJustEnded)
{
    window->statsAction()->trigger();
    QPointer<StatsWindow> stats = app->results().window();
    ASSERT_NE(stats, nullptr);
    EXPECT_EQ(stats->windowTitle(), "成績");
    ASSERT_NE(stats->windowHandle(), nullptr);
    EXPECT_EQ(stats->windowHandle()->transientParent(), window->windowHandle());
    QTRY_VERIFY(stats->sentenceShown(0).startsWith("終わったゲームはまだありません"));
    // On a screen too small to stand beside the game, it still leaves the reel and its marker
    // in view.
    const QRect reel(window->reelWindow()->mapToGlobal(QPoint(0, 0)), window->reelWindow()->size());
    ASSERT_LT(stats->screen()->availableGeometry().width(), window->frameGeometry().width() + stats->minimumWidth() * 2);
    QTRY_VERIFY(stats->isVisible());
    EXPECT_FALSE(stats->frameGeometry().intersects(reel)) << "over the reel at " << stats->frameGeometry().x() << ","
                                                          << stats->frameGeometry().y();
    window->statsAction()->trigger();
    EXPECT_EQ(app->results().window(), stats.data());

    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    window->startButton()->click();
    QTRY_VERIFY(app->game().state().intReelX > 40);
    for (int stop = 1; stop <= 10; ++stop) {
        SCOPED_TRACE(stop);
        random.queueHits(9);
        QTRY_VERIFY(app->game().state().bolStop);
        const char letter = app->game().state().strTarget.at(0);
        if (stop == 4)
            press(Qt::Key_A + (letter == 'A' ? 1 : 0));
        press(Qt::Key_A + (letter - 'A'));
    }
    ASSERT_TRUE(app->game().state().bolEnd);
    QTRY_COMPARE(stats->latestFigure("合計"), window->label(MainLabel::Score)->text() + " ms");
    EXPECT_EQ(stats->latestFigure("ミス"), "1 回");
    EXPECT_EQ(window->label(MainLabel::Miss)->text(), "1");
    stats->close();
}

// A score.dat of 30 bytes with <img src=/dev/zero> in it made the start-up box load /dev/zero.
TEST_F(AppTest, textFromTheFileIsShownAsPlainTextInTheMessageBoxesAndLabels)
{
    // A missing picture rather than /dev/zero, so that a fault fails here instead of hanging.
    const std::string markup = "<img src=missing.png><b>BIG</b><h1>X</h1>";
    std::ofstream(directory.path() + "/score.dat", std::ios::binary) << "\"x\"\r\n\"" + markup + "\"\r\n";
    const ModalBoxAnswerer answerer(ModalBoxAnswerer::key(Qt::Key_Return));
    app->startUp();
    ASSERT_TRUE(answerer.shown);
    EXPECT_EQ(answerer.textFormat, Qt::PlainText);
    EXPECT_EQ(answerer.parent, window);
    EXPECT_NE(answerer.text.indexOf(QString::fromStdString(markup.substr(0, 20))), -1) << answerer.text.toStdString();

    for (const QLabel* label : window->findChildren<QLabel*>())
        EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->text().toStdString();
}

// Games the history could not keep are named as the program ends: in a box when the player
// quits, on stderr when the session ends it (nobody is there to close a box).
TEST_F(AppTest, gamesTheHistoryCouldNotKeepAreNamedInABoxOnQuitAndOnStderrOnASignal)
{
    app.reset();
    const std::string history = directory.path() + "/history.sqlite3";
    struct Way {
        const char* what;
        std::function<void(MainWindow&)> end;
        bool box;
    };
    const Way ways[] = {
        {"終了", [](MainWindow& w) { w.quitAction()->trigger(); }, true},
        {"SIGTERM", [](MainWindow&) { std::raise(SIGTERM); }, false},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.what);
        TerminationSignals terminationSignals;
        App ending(App::Devices{start, kaiten, bgm, goal}, clock, random, shell, directory.path(),
                   directory.path() + "/score.dat");
        ending.endOn(terminationSignals);
        // Another program holds the history for as long as this one runs.
        SQLite::Database other(history, SQLite::OPEN_READWRITE);
        other.exec("BEGIN EXCLUSIVE");
        ending.results().history().recordFinishedGame({0, 0, 3456, 0, std::vector<StopResult>(10, {'K', 300'000, 0})});
        const ModalBoxAnswerer answerer(ModalBoxAnswerer::key(Qt::Key_Return));
        ::testing::internal::CaptureStderr();
        const int status = exitStatusOf([&] { way.end(ending.window()); });
        const std::string printed = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(status, 0);
        const std::string lost = "1 回分のゲームの成績を " + history + " に保存できませんでした";
        EXPECT_EQ(answerer.shown, way.box);
        EXPECT_EQ(answerer.text.toStdString().find(lost) != std::string::npos, way.box) << answerer.text.toStdString();
        EXPECT_EQ(printed.find("zumikko: " + lost) != std::string::npos, !way.box) << printed;
    }
    // The notes that saving must wait, which nobody closed.
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(widget))
            box->close();
}

// Quitting would throw away a new record that is still in one of the record windows. The
// question itself is RecordWindows' (see its tests); here, that both ways to quit ask it.
TEST_F(AppTest, quittingWhileANewRecordIsUnsavedAsksFirstAndNoKeepsTheProgramRunning)
{
    app->recordWindows().showChampionEntry("4970", "おめでとう！！　　過去最高スコアです。");
    const QPointer<UserNameWindow> entry = app->recordWindows().userNameWindow();
    ASSERT_NE(entry, nullptr);

    struct Way {
        const char* what;
        std::function<void()> quit;
    };
    const Way ways[] = {
        {"終了", [this] { window->quitAction()->trigger(); }},
        {"the main window's close box", [this] { closeFromTitleBar(window); }},
    };
    for (const Way& way : ways) {
        const ModalBoxAnswerer answerer(ModalBoxAnswerer::key(Qt::Key_Return));
        way.quit();
        ASSERT_TRUE(answerer.shown) << way.what;
        EXPECT_TRUE(log.empty()) << way.what;
        EXPECT_TRUE(window->isVisible());
        EXPECT_FALSE(app->ended());
        ASSERT_FALSE(entry.isNull());
    }

    const ModalBoxAnswerer answerer(ModalBoxAnswerer::click("yes"));
    EXPECT_EQ(exitStatusOf([this] { window->quitAction()->trigger(); }), 0);
    EXPECT_TRUE(answerer.shown);
    EXPECT_TRUE(app->ended());
    EXPECT_EQ(log, (std::vector<std::string>{"kaiten Close", "start Close", "bgm Close", "goal Close"}));
}

TEST_F(AppTest, quittingWithOnlyTheStoredRecordOnShowAsksNothing)
{
    window->scoreAction()->trigger();
    ASSERT_NE(app->recordWindows().scoreWindow(), nullptr);
    const ModalBoxAnswerer answerer(ModalBoxAnswerer::click("no"));
    EXPECT_EQ(exitStatusOf([this] { window->quitAction()->trigger(); }), 0);
    EXPECT_FALSE(answerer.shown);
    EXPECT_TRUE(app->ended());
    EXPECT_EQ(log.size(), 4u);
}

// What an App is made of besides its files, for tests that make their own.
struct AppParts {
    App app(const std::string& recordPath, const App::Folders& folders = {})
    {
        return App(App::Devices{start, kaiten, bgm, goal}, clock, random, shell, directory.path(), recordPath, folders);
    }

    std::vector<std::string> log;
    RecordingMediaDevice start{"start", log}, kaiten{"kaiten", log}, bgm{"bgm", log}, goal{"goal", log};
    SteadyClock clock;
    ScriptedRandom random;
    RecordingShell shell;
    TemporaryDirectory directory;
};

// Launching shows the window; once it is on screen, a problem found at start-up is told over
// it, and only then do the sounds open and the game start up.
TEST(AppLaunch, showsTheWindowThenTheStartUpProblemIfAnyThenStartsUp)
{
    for (const QString problem : {QString(), QStringLiteral("記録 score.dat を読めません。")}) {
        SCOPED_TRACE(problem.toStdString());
        AppParts parts;
        App app = parts.app(parts.directory.path() + "/score.dat");
        std::size_t openedBeforeTheBox = 0;
        const ModalBoxAnswerer answerer([&](QMessageBox& box) {
            openedBeforeTheBox = parts.log.size();
            QTest::keyClick(&box, Qt::Key_Return);
        });
        app.launch(problem.toStdString());
        EXPECT_TRUE(app.window().isVisible());
        QTRY_VERIFY(!parts.log.empty());
        EXPECT_EQ(answerer.shown, !problem.isEmpty());
        EXPECT_EQ(answerer.text, problem);
        EXPECT_EQ(openedBeforeTheBox, 0u);
    }
}

// A record whose folder cannot hold the history (here: it is gone) sends the games to the
// player's data folder; a note beside the game says so, and the results window names the
// history it shows.
TEST(AppHistoryElsewhere, isToldAndNamedInTheResultsWindow)
{
    AppParts parts;
    const std::string folder = parts.directory.path();
    const std::string history = folder + "/player/history.sqlite3";
    App app = parts.app(folder + "/gone/score.dat", App::Folders{folder, folder + "/player"});
    // Notes of earlier tests may still stand: this one names this history.
    const auto shownNote = [&history]() -> QMessageBox* {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(widget);
                box && box->isVisible() && box->text().contains(QString::fromStdString(history)))
                return box;
        return nullptr;
    };
    QTRY_VERIFY(shownNote() != nullptr);
    shownNote()->close();
    app.window().statsAction()->trigger();
    ASSERT_NE(app.results().window(), nullptr);
    EXPECT_EQ(app.results().window()->historySource().toStdString(), "この画面の成績: " + history);
    app.results().window()->close();
}

} // namespace

namespace {

// Every command has a key while no game runs; while one runs, every key-down is the game's: a
// command's key is judged like any other key and opens nothing.
TEST_F(AppTest, eachCommandHasAKeyThatActsOnlyWhileNoGameRuns)
{
    struct Command {
        const char* what;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int keyDowns;  // the modifier's own key-down is judged too
        const char* typed;
    };
    const Command commands[] = {
        {"スコアランキング", Qt::Key_R, Qt::ControlModifier, 2, "R"},
        {"バージョン情報", Qt::Key_F1, Qt::NoModifier, 1, ""},
        {"成績", Qt::Key_T, Qt::ControlModifier, 2, "T"},
        {"F10", Qt::Key_F10, Qt::NoModifier, 1, ""},
        {"終了", Qt::Key_Q, Qt::ControlModifier, 2, "Q"},
    };
    // A record no game beats: the game ends in the score box, not in the name entry.
    std::ofstream(directory.path() + "/score.dat", std::ios::binary) << "\"abc\"\r\n\"1\"\r\n";
    press(Qt::Key_Return);
    ASSERT_TRUE(app->game().state().bolKeyOK);
    for (const Command& c : commands) {
        const int before = misses();
        // Before this game's first stop every judged key is a miss, which makes them countable.
        press(c.key, c.modifiers);
        EXPECT_EQ(misses(), before + c.keyDowns) << c.what;
        EXPECT_EQ(caption(MainLabel::Type), c.typed) << c.what;
        EXPECT_EQ(app->recordWindows().scoreWindow(), nullptr) << c.what;
        EXPECT_EQ(app->results().window(), nullptr) << c.what;
        EXPECT_EQ(window->menuBar()->activeAction(), nullptr) << c.what;
        EXPECT_FALSE(app->ended()) << c.what;
    }
    EXPECT_EQ(caption(MainLabel::Kaisu), "あと10回");

    // The game ends at its tenth right key; from then on the keys are the commands'.
    for (int stop = 1; stop <= 10; ++stop) {
        random.queueHits(9);
        QTRY_VERIFY(app->game().state().bolStop);
        const ModalBoxAnswerer answerer(ModalBoxAnswerer::key(Qt::Key_Return));
        press(Qt::Key_A + (app->game().state().strTarget.at(0) - 'A'));
    }
    ASSERT_FALSE(app->game().state().bolKeyOK);
    ASSERT_EQ(app->recordWindows().userNameWindow(), nullptr);
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    const QString missesAfterTheGame = caption(MainLabel::Miss);

    press(Qt::Key_R, Qt::ControlModifier);
    QTRY_VERIFY(app->recordWindows().scoreWindow() != nullptr);
    app->recordWindows().scoreWindow()->close();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));

    QString modalTitle;
    QTimer::singleShot(0, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            modalTitle = modal->windowTitle();
            modal->close();
        }
    });
    press(Qt::Key_F1);  // modal: returns when the timer above closed it
    EXPECT_EQ(modalTitle, "バージョン情報");
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));

    press(Qt::Key_T, Qt::ControlModifier);
    QTRY_VERIFY(app->results().window() != nullptr && app->results().window()->isVisible());
    app->results().window()->close();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));

    EXPECT_EQ(caption(MainLabel::Miss), missesAfterTheGame);
    EXPECT_EQ(exitStatusOf([this] { press(Qt::Key_Q, Qt::ControlModifier); }), 0);
    EXPECT_TRUE(app->ended());
}

// F10 opens the menu bar on its first command without changing its captions; the arrows move
// along it, Enter chooses (instead of pressing Start) and Escape leaves it to the reel window.
TEST_F(AppTest, f10OpensTheMenuBarWhereArrowsMoveAndEnterChooses)
{
    QMenuBar* bar = window->menuBar();
    press(Qt::Key_F10);
    EXPECT_EQ(bar->activeAction(), window->quitAction());
    press(Qt::Key_Escape);
    EXPECT_EQ(bar->activeAction(), nullptr);
    EXPECT_TRUE(window->reelWindow()->hasFocus());

    press(Qt::Key_F10);
    press(Qt::Key_Right);
    EXPECT_EQ(bar->activeAction(), window->scoreAction());
    press(Qt::Key_Right);
    press(Qt::Key_Left);
    EXPECT_EQ(bar->activeAction(), window->scoreAction());
    QSignalSpy starts(window->startButton(), &QPushButton::clicked);
    press(Qt::Key_Return);
    EXPECT_NE(app->recordWindows().scoreWindow(), nullptr);
    EXPECT_EQ(starts.count(), 0);
    EXPECT_EQ(caption(MainLabel::Kaisu), "Let's Start");
    EXPECT_EQ(bar->activeAction(), nullptr);
    app->recordWindows().scoreWindow()->close();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    QTRY_VERIFY2(window->reelWindow()->hasFocus(), "after the chosen window closes, the keys go to the reel");

    // A game started from the open bar takes its keys back at once.
    press(Qt::Key_F10);
    window->startButton()->click();
    EXPECT_EQ(bar->activeAction(), nullptr);
    const int before = misses();
    press(Qt::Key_Return);
    EXPECT_EQ(misses(), before) << "Enter starts the game again, as it always does during a game";
    EXPECT_EQ(caption(MainLabel::Kaisu), "あと10回");
    for (const QAction* action : bar->actions())
        EXPECT_EQ(action->shortcut(), QKeySequence()) << action->text().toStdString();
}

// What a screen reader hears: the reel names the letter it stopped on while that stop waits for
// its key; the counters are named with their headings. (That a name change reaches the reader as
// an event needs a real accessibility bus: the AT-SPI end-to-end test listens for it.)
TEST_F(AppTest, theReelNamesItsStoppedLetterAndTheCountersTheirHeadings)
{
    QWidget* reel = window->reelWindow();
    EXPECT_EQ(reel->accessibleName(), "リール");
    EXPECT_EQ(window->label(MainLabel::Miss)->accessibleName(), "MISS 0");
    EXPECT_EQ(window->label(MainLabel::Score)->accessibleName(), "SCORE 0");
    // And what they count, for a player who cannot see that the lower score wins.
    EXPECT_EQ(window->label(MainLabel::Score)->accessibleDescription(), "ミリ秒の合計。少ないほど良い");
    EXPECT_EQ(window->label(MainLabel::Miss)->accessibleDescription(), "違うキーを押した回数。一回ごとに 500 ミリ秒");

    press(Qt::Key_Return);
    press(Qt::Key_1);
    EXPECT_EQ(window->label(MainLabel::Miss)->accessibleName(), "MISS 1");
    EXPECT_EQ(window->label(MainLabel::Score)->accessibleName(), "SCORE 500");
    random.queueHits(9);
    QTRY_VERIFY(app->game().state().bolStop);
    const std::string letter = app->game().state().strTarget;
    EXPECT_EQ(reel->accessibleName().toStdString(), "リール: " + letter);
    press(Qt::Key_A + (letter[0] == 'A' ? 1 : 0));
    EXPECT_EQ(reel->accessibleName().toStdString(), "リール: " + letter) << "a wrong key: the stop still waits";
    press(Qt::Key_A + (letter[0] - 'A'));
    EXPECT_EQ(reel->accessibleName(), "リール");
}

} // namespace

// Nothing wakes the program for a window nobody can see; seen again, the marquee goes on with
// the very next picture of its cycle, as if it had never paused.
TEST_F(AppTest, theMarqueeAndTheTitleWaitWhileTheWindowCannotBeSeenAndGoOnWhereTheyWere)
{
    std::vector<Surface> shown{window->ledBar()->surface()};
    const PaintWatch ledWatch(window->ledBar(), [&] {
        if (window->ledBar()->surface() != shown.back())
            shown.push_back(window->ledBar()->surface());
    });
    QTRY_VERIFY(window->animationsArmed());
    QTRY_VERIFY(shown.size() >= 3);
    for (const Qt::WindowState unseen : {Qt::WindowMinimized, Qt::WindowNoState}) {
        if (unseen == Qt::WindowMinimized)
            window->setWindowState(Qt::WindowMinimized);
        else
            window->hide();
        QTRY_VERIFY(!window->animationsArmed());
        // Long enough for a 50 ms timer to have ticked four times.
        int ticksMeanwhile = 0;
        QTimer meanwhile;
        QObject::connect(&meanwhile, &QTimer::timeout, [&] { ++ticksMeanwhile; });
        meanwhile.start(50);
        QTRY_VERIFY(ticksMeanwhile >= 4);
        if (unseen == Qt::WindowMinimized)
            window->setWindowState(Qt::WindowNoState);
        else
            window->show();
        QTRY_VERIFY(window->animationsArmed());
        const std::size_t before = shown.size();
        QTRY_VERIFY(shown.size() >= before + 3);
    }

    // The pictures of an uninterrupted marquee from its load, a change at a time.
    Surface bar(300, 25, 0x000000);
    const Surface lit = surfaceFromImage(QImage(":/art/led_front.png"));
    const Surface unlit = surfaceFromImage(QImage(":/art/led_back.png"));
    LedMarquee marquee;
    marquee.load();
    std::vector<Surface> expected{bar};
    for (int tick = 0; tick < 2 * LedMarquee::kCycleTicks; ++tick) {
        marquee.tick(bar, lit, unlit);
        if (bar != expected.back())
            expected.push_back(bar);
    }
    const auto first = std::find(expected.begin(), expected.end(), shown.front());
    ASSERT_NE(first, expected.end());
    ASSERT_LE(shown.size(), static_cast<std::size_t>(expected.end() - first));
    for (std::size_t i = 0; i < shown.size(); ++i)
        ASSERT_TRUE(shown[i] == *(first + static_cast<std::ptrdiff_t>(i))) << "picture " << i << " of " << shown.size();
}
