#include "ui/MainWindow.h"
#include "ui/KeyRouter.h"

#include "fakes/RecordingMediaDevice.h"
#include "fakes/RecordingShell.h"
#include "fakes/ScriptedRandom.h"
#include "fakes/TemporaryDirectory.h"
#include "platform/SteadyClock.h"
#include "platform/SurfaceImage.h"
#include "platform/SurfaceWidget.h"
#include "record/RecordWindows.h"
#include "record/ScoreWindow.h"
#include "record/UserNameWindow.h"
#include "results/ResultsFeature.h"
#include "results/StatsWindow.h"
#include "tests/record/RecordWindowTestSupport.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <gtest/gtest.h>

#include <QPointer>

#include <algorithm>
#include <functional>
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

struct MainWindowFixture : ::testing::Test {
    MainWindowFixture()
    {
        // An earlier test that quit the program left Qt's quit flag set, which would end every
        // modal box here at once; a run of the application's own loop clears it.
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        QApplication::exec();
        std::ofstream(directory.path() + "/score.dat", std::ios::binary) << "\"abc\"\r\n\"5000\"\r\n";
        window = std::make_unique<MainWindow>(MainWindow::Devices{start, kaiten, bgm, goal}, clock, random, shell,
                                              directory.path());
        window->show();
        window->activateWindow();
        window->startUp();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
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

    std::vector<std::string> log;
    RecordingMediaDevice start{"start", log};
    RecordingMediaDevice kaiten{"kaiten", log};
    RecordingMediaDevice bgm{"bgm", log};
    RecordingMediaDevice goal{"goal", log};
    SteadyClock clock;
    ScriptedRandom random;
    RecordingShell shell;
    TemporaryDirectory directory;
    std::unique_ptr<MainWindow> window;
};

TEST_F(MainWindowFixture, controlsStandWhereTheLayoutPutsThem)
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
        {window->label(MainLabel::Type), {232, 106, 57, 25}},
        {window->label(MainLabel::Miss), {0, 176, 148, 25}},
        {window->label(MainLabel::Score), {152, 176, 148, 25}},
        {labelWithText("MISS"), {0, 168, 148, 9}},
        {labelWithText("SCORE"), {152, 168, 148, 9}},
    };
    for (const Case& c : cases) {
        ASSERT_NE(c.widget, nullptr);
        EXPECT_EQ(c.widget->geometry(), c.geometry) << c.widget->metaObject()->className();
    }
    // Sized to their text: each keeps its place and shows its whole text.
    for (const auto& [text, layout] : {std::pair{QStringLiteral("？？？"), QRect(132, 130, 36, 11)},
                                       std::pair{QStringLiteral("Your type"), QRect(232, 94, 57, 12)}}) {
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

TEST_F(MainWindowFixture, theReelWindowHasTheFocusAndTheStartButtonIsTheOnlyOtherTabStop)
{
    EXPECT_TRUE(window->reelWindow()->hasFocus());
    QTest::keyClick(window->windowHandle(), Qt::Key_Tab);
    EXPECT_TRUE(window->startButton()->hasFocus());
    QTest::keyClick(window->windowHandle(), Qt::Key_Tab);
    EXPECT_TRUE(window->reelWindow()->hasFocus());
}

TEST_F(MainWindowFixture, beforeTheFirstStartKeysDoNothingAndTheReelStaysBlank)
{
    for (const int key : {Qt::Key_A, Qt::Key_K, Qt::Key_1, Qt::Key_Space})
        press(key);
    QTest::qWait(50);
    EXPECT_TRUE(reelIsBlank());
    EXPECT_FALSE(window->reelTimerActive());
    EXPECT_EQ(caption(MainLabel::Miss), "0");
    EXPECT_EQ(caption(MainLabel::Type), "");
}

TEST_F(MainWindowFixture, enterPressesStartWhereverTheFocusIsAndIsNeverJudged)
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

TEST_F(MainWindowFixture, eachKeyIsJudgedOnceWhicheverControlHasTheFocusAndShiftDoesNotMatter)
{
    window->startButton()->click();
    // Before the game's first stop every key is a miss, which makes each judgement countable.
    window->reelWindow()->setFocus();
    press(Qt::Key_A);
    EXPECT_EQ(caption(MainLabel::Miss), "1");
    // Holding Shift is a key press of its own; the A under it is still the letter A.
    press(Qt::Key_A, Qt::ShiftModifier);
    EXPECT_EQ(caption(MainLabel::Miss), "3");
    EXPECT_EQ(caption(MainLabel::Type), "A");
    window->startButton()->setFocus();
    press(Qt::Key_B);
    EXPECT_EQ(caption(MainLabel::Miss), "4");
    EXPECT_EQ(caption(MainLabel::Type), "B");
    EXPECT_EQ(KeyRouter::virtualKeyCode(Qt::Key_A), 65);
    EXPECT_EQ(KeyRouter::virtualKeyCode(Qt::Key_Z), 90);
    for (const int key : {Qt::Key_Shift, Qt::Key_F18, Qt::Key_Kana_Shift, Qt::Key_1, Qt::Key_Escape})
        EXPECT_TRUE(KeyRouter::virtualKeyCode(key) < 65 || KeyRouter::virtualKeyCode(key) > 90) << key;
}

TEST_F(MainWindowFixture, keysAControlPassesOnAreJudgedOnceNotAgainByTheWindow)
{
    window->startButton()->click();
    struct Case {
        const char* what;
        QWidget* focus;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        bool autoRepeat;
    };
    const Case cases[] = {
        {"Ctrl+Tab on the reel window", window->reelWindow(), Qt::Key_Tab, Qt::ControlModifier, false},
        {"auto-repeated Space on the start button", window->startButton(), Qt::Key_Space, Qt::NoModifier, true},
        {"a letter on the start button", window->startButton(), Qt::Key_Q, Qt::NoModifier, false},
        {"Tab on the reel window", window->reelWindow(), Qt::Key_Tab, Qt::NoModifier, false},
    };
    for (const Case& c : cases) {
        c.focus->setFocus();
        const int before = caption(MainLabel::Miss).toInt();
        const QString text = c.key == Qt::Key_Space ? QStringLiteral(" ") : QString();
        qt_handleKeyEvent(window->windowHandle(), QEvent::KeyPress, c.key, c.modifiers, text, c.autoRepeat, 1);
        qt_handleKeyEvent(window->windowHandle(), QEvent::KeyRelease, c.key, c.modifiers, text, c.autoRepeat, 1);
        // Before the game's first stop every key is a miss, which makes each judgement countable.
        EXPECT_EQ(caption(MainLabel::Miss).toInt(), before + 1) << c.what;
    }
    EXPECT_EQ(caption(MainLabel::Kaisu), "あと10回") << "an auto-repeated Space does not press the button";
}

TEST_F(MainWindowFixture, eachReelTickPaintsTheReelWindowAndAStopIsPaintedBeforeItsTimeIsTaken)
{
    int paints = 0;
    std::int64_t stoppedPictureAt = 0;
    const PaintWatch watch(window->reelWindow(), [&] {
        ++paints;
        if (window->game().state().bolStop && stoppedPictureAt == 0)
            stoppedPictureAt = clock.nowMicroseconds();
    });
    press(Qt::Key_Return);
    // Each tick's picture is painted on the next pass of the event loop, well before the next.
    const int start = window->game().state().intReelX;
    const int paintsBefore = paints;
    QTRY_VERIFY(window->game().state().intReelX - start >= 40 * 4);
    const int ticks = (window->game().state().intReelX - start) / 4;
    EXPECT_GE(paints - paintsBefore, ticks / 2) << ticks << " ticks";
    random.queueHits(9);
    QTRY_VERIFY(window->game().state().bolStop);
    EXPECT_NE(stoppedPictureAt, 0);
    EXPECT_LE(stoppedPictureAt, window->game().state().lngStart);
}

TEST_F(MainWindowFixture, theReelStandsStillWhileAnyModalBoxIsOpen)
{
    press(Qt::Key_Return);
    QTRY_VERIFY(window->game().state().intReelX > 20);
    QDialog box;  // a box of the program that the main window knows nothing about
    box.setModal(true);
    box.show();
    QTRY_VERIFY(!window->reelTimerActive());
    const auto offset = window->game().state().intReelX;
    random.queueHits(9);
    // Time passes, as the marquee shows, while the reel stays where it was.
    Surface bar = window->ledBar()->surface();
    for (int step = 0; step < 3; ++step) {
        QTRY_VERIFY(window->ledBar()->surface() != bar);
        bar = window->ledBar()->surface();
    }
    EXPECT_EQ(window->game().state().intReelX, offset);
    EXPECT_FALSE(window->game().state().bolStop);
    box.hide();
    QTRY_VERIFY(window->game().state().bolStop);
}

TEST_F(MainWindowFixture, theReelScrollsStopsOnALetterAndARightKeyReleasesIt)
{
    press(Qt::Key_Return);
    QTRY_VERIFY(window->game().state().intReelX > 40);
    random.queueHits(9);
    QTRY_VERIFY(window->game().state().bolStop);
    EXPECT_FALSE(window->reelTimerActive()) << "nothing runs while the reel stands";
    EXPECT_EQ(caption(MainLabel::Kaisu), "あと9回");
    const std::string letter = window->game().state().strTarget;
    press(Qt::Key_A + (letter[0] - 'A'));
    EXPECT_EQ(caption(MainLabel::Miss), "0");
    EXPECT_FALSE(window->game().state().bolStop);
    EXPECT_TRUE(window->reelTimerActive());
}

TEST_F(MainWindowFixture, theTitleShowsTheDimFrameAtLoadAndTheBrightOneAfterTheFirstTick)
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

TEST_F(MainWindowFixture, theScoreMenuShowsOneBestScoreWindowHoweverOftenItIsChosen)
{
    window->scoreAction()->trigger();
    ScoreWindow* first = window->recordWindows().scoreWindow();
    ASSERT_NE(first, nullptr);
    window->scoreAction()->trigger();
    EXPECT_EQ(window->recordWindows().scoreWindow(), first);
    first->close();
}

TEST_F(MainWindowFixture, whileTheVersionWindowIsOpenTheReelStandsAndTheMarqueeMoves)
{
    press(Qt::Key_Return);
    QTRY_VERIFY(window->reelTimerActive());
    bool reelStood = false;
    bool marqueeMoved = false;
    QTimer::singleShot(100, [&] {
        QWidget* version = QApplication::activeModalWidget();
        ASSERT_NE(version, nullptr);
        const auto offset = window->game().state().intReelX;
        const Surface bar = window->ledBar()->surface();
        QTest::qWait(300);
        reelStood = !window->reelTimerActive() && window->game().state().intReelX == offset;
        marqueeMoved = window->ledBar()->surface() != bar;
        version->close();
    });
    window->versionAction()->trigger();  // modal: returns when the window above closes it
    EXPECT_TRUE(reelStood);
    EXPECT_TRUE(marqueeMoved);
    EXPECT_TRUE(window->reelTimerActive()) << "the game goes on where it was";
}

TEST_F(MainWindowFixture, closingTheWindowClosesTheFourDevicesInOrder)
{
    window->quitAction()->trigger();
    EXPECT_EQ(log, (std::vector<std::string>{"kaiten Close", "start Close", "bgm Close", "goal Close"}));
}

// So that a compositor (Wayland has no other hint) places them over the game.
TEST_F(MainWindowFixture, theBestScoreWindowStandsOverTheMainWindow)
{
    window->scoreAction()->trigger();
    QPointer<ScoreWindow> score = window->recordWindows().scoreWindow();
    ASSERT_NE(score, nullptr);
    ASSERT_NE(score->windowHandle(), nullptr);
    EXPECT_EQ(score->windowHandle()->transientParent(), window->windowHandle());
    score->close();
}

// The results window stands over the game like the best-score window, once, and shows each game
// that ends while it is open with the very score and misses the main window counted.
TEST_F(MainWindowFixture, theResultsWindowStandsOverTheGameAndShowsTheGameThatJustEnded)
{
    window->statsAction()->trigger();
    QPointer<StatsWindow> stats = window->results().window();
    ASSERT_NE(stats, nullptr);
    EXPECT_EQ(stats->windowTitle(), "成績");
    ASSERT_NE(stats->windowHandle(), nullptr);
    EXPECT_EQ(stats->windowHandle()->transientParent(), window->windowHandle());
    QTRY_VERIFY(stats->sentenceShown(0).startsWith("終わったゲームはまだありません"));
    window->statsAction()->trigger();
    EXPECT_EQ(window->results().window(), stats.data());

    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    window->startButton()->click();
    QTRY_VERIFY(window->game().state().intReelX > 40);
    for (int stop = 1; stop <= 10; ++stop) {
        SCOPED_TRACE(stop);
        random.queueHits(9);
        QTRY_VERIFY(window->game().state().bolStop);
        const char letter = window->game().state().strTarget.at(0);
        if (stop == 4)
            press(Qt::Key_A + (letter == 'A' ? 1 : 0));
        press(Qt::Key_A + (letter - 'A'));
    }
    ASSERT_TRUE(window->game().state().bolEnd);
    QTRY_COMPARE(stats->latestFigure("合計"), window->label(MainLabel::Score)->text());
    EXPECT_EQ(stats->latestFigure("ミス"), "1");
    EXPECT_EQ(window->label(MainLabel::Miss)->text(), "1");
    stats->close();
}

// A score.dat of 30 bytes with <img src=/dev/zero> in it made the start-up box load /dev/zero.
TEST_F(MainWindowFixture, textFromTheFileIsShownAsPlainTextInTheMessageBoxesAndLabels)
{
    // A missing picture rather than /dev/zero, so that a fault fails here instead of hanging.
    const std::string markup = "<img src=missing.png><b>BIG</b><h1>X</h1>";
    std::ofstream(directory.path() + "/score.dat", std::ios::binary) << "\"x\"\r\n\"" + markup + "\"\r\n";
    const ModalBoxAnswerer answerer(ModalBoxAnswerer::key(Qt::Key_Return));
    window->startUp();
    ASSERT_TRUE(answerer.shown);
    EXPECT_EQ(answerer.textFormat, Qt::PlainText);
    EXPECT_EQ(answerer.parent, window.get());
    EXPECT_NE(answerer.text.indexOf(QString::fromStdString(markup.substr(0, 20))), -1) << answerer.text.toStdString();

    for (const QLabel* label : window->findChildren<QLabel*>())
        EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->text().toStdString();
}

// Quitting would throw away a new record that is still in one of the record windows.
TEST_F(MainWindowFixture, quittingWhileANewRecordIsUnsavedAsksFirstAndNoKeepsTheProgramRunning)
{
    const QString question = QStringLiteral("新しい記録はまだ保存されていません。\n"
                                            "終了すると、この記録は失われます。終了しますか？");
    window->recordWindows().showChampionEntry("4970", "おめでとう！！　　過去最高スコアです。");
    const QPointer<UserNameWindow> entry = window->recordWindows().userNameWindow();
    ASSERT_NE(entry, nullptr);

    struct Way {
        const char* what;
        std::function<void()> quit;
    };
    const Way ways[] = {
        {"終了", [this] { window->quitAction()->trigger(); }},
        {"the main window's close box", [this] { closeFromTitleBar(window.get()); }},
    };
    for (const Way& way : ways) {
        const ModalBoxAnswerer answerer(ModalBoxAnswerer::key(Qt::Key_Return));
        way.quit();
        ASSERT_TRUE(answerer.shown) << way.what;
        EXPECT_EQ(answerer.text, question);
        EXPECT_EQ(answerer.parent, entry.data()) << "asked over the window that holds the record";
        EXPECT_EQ(answerer.defaultButton, "いいえ");
        EXPECT_TRUE(log.empty()) << way.what;
        EXPECT_TRUE(window->isVisible());
        EXPECT_FALSE(window->ended());
        ASSERT_FALSE(entry.isNull());
    }

    const ModalBoxAnswerer answerer(ModalBoxAnswerer::click("yes"));
    window->quitAction()->trigger();
    EXPECT_TRUE(answerer.shown);
    EXPECT_TRUE(window->ended());
    EXPECT_EQ(log, (std::vector<std::string>{"kaiten Close", "start Close", "bgm Close", "goal Close"}));
}

TEST_F(MainWindowFixture, quittingWithOnlyTheStoredRecordOnShowAsksNothing)
{
    window->scoreAction()->trigger();
    ASSERT_NE(window->recordWindows().scoreWindow(), nullptr);
    const ModalBoxAnswerer answerer(ModalBoxAnswerer::click("no"));
    window->quitAction()->trigger();
    EXPECT_FALSE(answerer.shown);
    EXPECT_TRUE(window->ended());
    EXPECT_EQ(log.size(), 4u);
}

} // namespace
