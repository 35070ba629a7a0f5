#include "record/RecordWindows.h"

#include "platform/LeftoverKeyGuard.h"
#include "platform/SteadyClock.h"
#include "record/ScoreFile.h"
#include "tests/record/RecordWindowTestSupport.h"
#include "tests/record/ScoreDirectory.h"

#include <QApplication>
#include <QLineEdit>
#include <QShortcut>
#include <QWindow>
#include <QPointer>

#include <functional>
#include <memory>

namespace {

const QString kCaption = QStringLiteral("おめでとう！！　　過去最高スコアです。");

class RecordWindowsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        scratch.put("\"old\"\r\n\"5000\"\r\n");
        windows->setProblemReporter(problems.reporter());
    }

    UserNameWindow* enterChampion(const QString& score)
    {
        windows->showChampionEntry(score, kCaption);
        UserNameWindow* entry = windows->userNameWindow();
        EXPECT_NE(entry, nullptr);
        EXPECT_TRUE(QTest::qWaitForWindowExposed(entry));
        // The player's own typing starts once the keys left over from the game are kept out.
        EXPECT_TRUE(QTest::qWaitFor([entry] { return !entry->leftoverKeys().armed(); }));
        return entry;
    }
    ScoreWindow* openScoreFromMenu()
    {
        windows->showScore();
        ScoreWindow* score = windows->scoreWindow();
        EXPECT_NE(score, nullptr);
        EXPECT_TRUE(QTest::qWaitForWindowExposed(score));
        return score;
    }
    template <typename Window>
    static bool gone(const QPointer<Window>& window)
    {
        return QTest::qWaitFor([&window] { return window.isNull(); });
    }

    ScoreDirectory scratch;
    ScoreFile record{scratch.scoreFile()};
    ReportedProblems problems;
    SteadyClock clock;
    std::unique_ptr<RecordWindows> windows = std::make_unique<RecordWindows>(record, clock);
};

TEST_F(RecordWindowsTest, aNewRecordTravelsFromNameEntryToTheFileWithEnterInEachWindow)
{
    const QPointer<UserNameWindow> entry = enterChampion("4970");
    EXPECT_EQ(entry->windowTitle(), kCaption);
    EXPECT_EQ(entry->lblScore()->text(), "4970");

    typeText(entry, "abc");
    pressKey(entry, Qt::Key_Return);
    EXPECT_TRUE(gone(entry));
    const QPointer<ScoreWindow> score = windows->scoreWindow();
    ASSERT_NE(score, nullptr);
    EXPECT_TRUE(score->isVisible());
    EXPECT_EQ(score->lblName()->text(), "abc");
    EXPECT_EQ(score->lblScore()->text(), "4970");
    EXPECT_EQ(scratch.bytes(), "\"old\"\r\n\"5000\"\r\n");

    pressKey(score, Qt::Key_Return);
    EXPECT_TRUE(gone(score));
    EXPECT_EQ(scratch.bytes(), "\x22\x61\x62\x63\x22\x0D\x0A\x22\x34\x39\x37\x30\x22\x0D\x0A");
    EXPECT_TRUE(problems.messages.empty());
}

TEST_F(RecordWindowsTest, anEmptyNameIsStoredAsAnEmptyFirstField)
{
    pressKey(enterChampion("4970"), Qt::Key_Return);
    const QPointer<ScoreWindow> score = windows->scoreWindow();
    ASSERT_NE(score, nullptr);
    EXPECT_EQ(score->lblName()->text(), "");
    pressKey(score, Qt::Key_Return);
    EXPECT_TRUE(gone(score));
    EXPECT_EQ(scratch.bytes(), "\"\"\r\n\"4970\"\r\n");
}

TEST_F(RecordWindowsTest, theMenuShowsTheRecordOnFileAndOkRewritesItInTheProgramsOwnForm)
{
    scratch.put("\"abc\",\"1234\"");
    const QPointer<ScoreWindow> score = openScoreFromMenu();
    EXPECT_EQ(score->lblName()->text(), "abc");
    EXPECT_EQ(score->lblScore()->text(), "1234");

    pressKey(score, Qt::Key_Return);
    EXPECT_TRUE(gone(score));
    EXPECT_EQ(scratch.bytes(), "\"abc\"\r\n\"1234\"\r\n");
}

TEST_F(RecordWindowsTest, closingEitherWindowFromItsTitleBarStoresNothing)
{
    scratch.put("\"abc\",\"1234\"");
    const QPointer<ScoreWindow> score = openScoreFromMenu();
    {
        // The stored record is not lost by closing: no question.
        const ModalBoxAnswerer answerer(ModalBoxAnswerer::key(Qt::Key_Return));
        closeFromTitleBar(score);
        EXPECT_TRUE(gone(score));
        EXPECT_FALSE(answerer.shown);
    }

    const QPointer<UserNameWindow> entry = enterChampion("4970");
    typeText(entry, "new");
    const ModalBoxAnswerer answerer(ModalBoxAnswerer::click("yes"));
    closeFromTitleBar(entry);
    EXPECT_TRUE(answerer.shown);
    EXPECT_TRUE(gone(entry));
    EXPECT_EQ(windows->scoreWindow(), nullptr);

    EXPECT_EQ(scratch.bytes(), "\"abc\",\"1234\"");
}

// Closing by mistake must not throw a new record away: the window asks, and anything but "はい"
// (Enter on the default, Escape, "いいえ") keeps it open with the record.
TEST_F(RecordWindowsTest, aWindowHoldingANewRecordAsksBeforeClosingAndKeepsItUnlessTheAnswerIsYes)
{
    const QString question = QStringLiteral("新しい記録はまだ保存されていません。\n"
                                            "このウィンドウを閉じると、この記録は失われます。閉じますか？");
    enum class Holder { NameEntry, ScoreWindow, ScoreWindowFromMenuGivenANewRecord };
    struct Case {
        Holder holder;
        std::function<void(QMessageBox&)> answer;
        bool closes;
    };
    const Case cases[] = {
        {Holder::NameEntry, ModalBoxAnswerer::key(Qt::Key_Return), false},
        {Holder::NameEntry, ModalBoxAnswerer::key(Qt::Key_Escape), false},
        {Holder::NameEntry, ModalBoxAnswerer::click("no"), false},
        {Holder::NameEntry, ModalBoxAnswerer::click("yes"), true},
        {Holder::ScoreWindow, ModalBoxAnswerer::key(Qt::Key_Return), false},
        {Holder::ScoreWindow, ModalBoxAnswerer::key(Qt::Key_Escape), false},
        {Holder::ScoreWindow, ModalBoxAnswerer::click("yes"), true},
        {Holder::ScoreWindowFromMenuGivenANewRecord, ModalBoxAnswerer::click("no"), false},
        {Holder::ScoreWindowFromMenuGivenANewRecord, ModalBoxAnswerer::click("yes"), true},
    };
    for (const Case& c : cases) {
        windows = std::make_unique<RecordWindows>(record, clock);
        windows->setProblemReporter(problems.reporter());
        if (c.holder == Holder::ScoreWindowFromMenuGivenANewRecord)
            openScoreFromMenu();
        QPointer<QWidget> holder = enterChampion("4970");
        typeText(holder, "abc");
        if (c.holder != Holder::NameEntry) {
            pressKey(holder, Qt::Key_Return);
            holder = windows->scoreWindow();
            ASSERT_NE(holder, nullptr);
        }

        const ModalBoxAnswerer answerer(c.answer);
        closeFromTitleBar(holder);
        ASSERT_TRUE(answerer.shown);
        EXPECT_EQ(answerer.text, question);
        EXPECT_EQ(answerer.textFormat, Qt::PlainText);
        EXPECT_EQ(answerer.parent, holder.data());
        EXPECT_EQ(answerer.buttons, (std::vector<QString>{"はい", "いいえ"}));
        EXPECT_EQ(answerer.defaultButton, "いいえ");
        if (c.closes) {
            EXPECT_TRUE(gone(holder));
        } else {
            ASSERT_FALSE(holder.isNull());
            EXPECT_TRUE(holder->isVisible());
            EXPECT_EQ(windows->windowWithUnsavedRecord(), holder.data());
        }
        EXPECT_EQ(scratch.bytes(), "\"old\"\r\n\"5000\"\r\n");
    }
    EXPECT_TRUE(problems.messages.empty());
}

// Another copy of the game in the same folder stored a better record while this window waited.
TEST_F(RecordWindowsTest, aBetterRecordStoredMeanwhileIsNotOverwrittenAndTheWindowKeepsItsRecord)
{
    const QPointer<UserNameWindow> entry = enterChampion("4970");
    typeText(entry, "abc");
    pressKey(entry, Qt::Key_Return);
    const QPointer<ScoreWindow> score = windows->scoreWindow();
    ASSERT_NE(score, nullptr);

    ASSERT_EQ(ScoreFile(scratch.scoreFile()).write({"other", "3000"}), std::nullopt);
    pressKey(score, Qt::Key_Return);

    ASSERT_EQ(problems.messages.size(), 1u);
    EXPECT_EQ(problems.messages.front(), QString::fromStdString(scratch.scoreFile())
                                             + " には、この記録より良い記録（other　3000）が後から保存されています。"
                                               "この記録は保存しません。");
    ASSERT_FALSE(score.isNull());
    EXPECT_TRUE(score->isVisible());
    EXPECT_EQ(score->lblName()->text(), "abc");
    EXPECT_EQ(score->lblScore()->text(), "4970");
    EXPECT_EQ(scratch.bytes(), "\"other\"\r\n\"3000\"\r\n");
}

TEST_F(RecordWindowsTest, theMenuBringsAnOpenScoreWindowForwardAsItIs)
{
    const QPointer<ScoreWindow> first = openScoreFromMenu();
    scratch.put("\"other\"\r\n\"1\"\r\n");
    windows->showScore();
    EXPECT_EQ(windows->scoreWindow(), first);
    EXPECT_EQ(first->lblName()->text(), "old");
    EXPECT_EQ(first->lblScore()->text(), "5000");
}

TEST_F(RecordWindowsTest, aNewRecordGoesIntoTheOpenScoreWindowWithoutReadingTheFile)
{
    const QPointer<ScoreWindow> score = openScoreFromMenu();
    // Reading this now would be reported as damage and fill in nothing.
    scratch.put("\"other\"\r\n\"not a number\"\r\n");

    const QPointer<UserNameWindow> entry = enterChampion("4970");
    typeText(entry, "abc");
    pressKey(entry, Qt::Key_Return);

    EXPECT_EQ(windows->scoreWindow(), score);
    EXPECT_EQ(score->lblName()->text(), "abc");
    EXPECT_EQ(score->lblScore()->text(), "4970");
    EXPECT_TRUE(problems.messages.empty());
}

TEST_F(RecordWindowsTest, aNewRecordOpensTheScoreWindowWithoutReadingTheFile)
{
    scratch.put("\"other\"\r\n\"not a number\"\r\n");
    const QPointer<UserNameWindow> entry = enterChampion("4970");
    typeText(entry, "abc");
    pressKey(entry, Qt::Key_Return);
    const QPointer<ScoreWindow> score = windows->scoreWindow();
    ASSERT_NE(score, nullptr);
    EXPECT_EQ(score->lblName()->text(), "abc");
    EXPECT_EQ(score->lblScore()->text(), "4970");
    EXPECT_TRUE(problems.messages.empty());
}

// The game asks which record waits in these windows, so that only a better game takes its place.
TEST_F(RecordWindowsTest, theWaitingRecordIsTheOneNotYetInTheFileWhereverItStands)
{
    EXPECT_EQ(windows->waitingRecordScore(), std::nullopt) << "no window open";
    const QPointer<ScoreWindow> score = openScoreFromMenu();
    EXPECT_EQ(windows->waitingRecordScore(), std::nullopt) << "the record on file is not waiting";

    const QPointer<UserNameWindow> entry = enterChampion("4970");
    EXPECT_EQ(windows->waitingRecordScore(), "4970");
    EXPECT_EQ(windows->windowWithUnsavedRecord(), entry.data());
    typeText(entry, "abc");
    pressKey(entry, Qt::Key_Return);
    ASSERT_TRUE(gone(entry));
    EXPECT_EQ(windows->waitingRecordScore(), "4970") << "signed, but not stored yet";
    EXPECT_EQ(windows->windowWithUnsavedRecord(), score.data());

    // A better game while the signed record waits for OK: the name entry's record is the newer.
    enterChampion("3000");
    EXPECT_EQ(windows->waitingRecordScore(), "3000");

    {
        const ModalBoxAnswerer answerer(ModalBoxAnswerer::click("yes"));
        closeFromTitleBar(windows->userNameWindow());
        ASSERT_TRUE(answerer.shown);
    }
    ASSERT_TRUE(QTest::qWaitFor([this] { return windows->userNameWindow() == nullptr; }));
    EXPECT_EQ(windows->waitingRecordScore(), "4970");
    pressKey(score, Qt::Key_Return);
    ASSERT_TRUE(gone(score));
    EXPECT_EQ(windows->waitingRecordScore(), std::nullopt) << "stored";
}

// Quitting asks over the window that holds the record, in words about quitting; without a
// record waiting it asks nothing.
TEST_F(RecordWindowsTest, quittingWithARecordWaitingAsksOverItsWindowAndNoKeepsIt)
{
    const QString question = QStringLiteral("新しい記録はまだ保存されていません。\n"
                                            "終了すると、この記録は失われます。終了しますか？");
    {
        openScoreFromMenu();
        const ModalBoxAnswerer answerer(ModalBoxAnswerer::click("no"));
        EXPECT_TRUE(windows->mayQuit());
        EXPECT_FALSE(answerer.shown);
        windows->scoreWindow()->close();
    }
    struct Case {
        bool signedAlready;
        std::function<void(QMessageBox&)> answer;
        bool quits;
    };
    const Case cases[] = {
        {false, ModalBoxAnswerer::key(Qt::Key_Return), false},
        {false, ModalBoxAnswerer::click("yes"), true},
        {true, ModalBoxAnswerer::key(Qt::Key_Escape), false},
        {true, ModalBoxAnswerer::click("yes"), true},
    };
    for (const Case& c : cases) {
        windows = std::make_unique<RecordWindows>(record, clock);
        windows->setProblemReporter(problems.reporter());
        QPointer<QWidget> holder = enterChampion("4970");
        if (c.signedAlready) {
            pressKey(holder, Qt::Key_Return);
            holder = windows->scoreWindow();
            ASSERT_NE(holder, nullptr);
        }
        const ModalBoxAnswerer answerer(c.answer);
        EXPECT_EQ(windows->mayQuit(), c.quits);
        ASSERT_TRUE(answerer.shown);
        EXPECT_EQ(answerer.text, question);
        EXPECT_EQ(answerer.parent, holder.data());
        EXPECT_EQ(answerer.defaultButton, "いいえ");
        EXPECT_FALSE(holder.isNull()) << "quitting ends the program; it does not close the window";
    }
}

// Each window opens with its one input control focused; Enter presses its default button and
// Escape does nothing (in these windows it would throw a new record away).
TEST_F(RecordWindowsTest, eachWindowOpensWithItsFocusAndTakesEnterButNotEscape)
{
    struct Case {
        const char* window;
        const char* focused;
        const char* afterTab;
    };
    const Case cases[] = {
        {"frmUserName", "txtName", "cmdOK"},
        {"frmScore", "cmdClose", "cmdClose"},
    };
    for (const Case& c : cases) {
        QPointer<RecordDialog> window;
        if (QByteArray(c.window) == "frmUserName") {
            window = enterChampion("4970");
            typeText(window, "ab");
        } else {
            window = openScoreFromMenu();
        }
        ASSERT_TRUE(QTest::qWaitForWindowActive(window)) << c.window;
        EXPECT_EQ(QApplication::focusWidget()->objectName(), c.focused) << c.window;

        const ModalBoxAnswerer answerer(ModalBoxAnswerer::click("yes"));
        pressKey(window, Qt::Key_Escape);
        EXPECT_FALSE(answerer.shown) << c.window;
        ASSERT_FALSE(window.isNull()) << c.window;
        EXPECT_TRUE(window->isVisible()) << c.window;

        pressKey(window, Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget()->objectName(), c.afterTab) << c.window;
        pressKey(window, Qt::Key_Return);
        EXPECT_TRUE(gone(window)) << c.window << ": Enter presses the default button wherever the focus is";
    }
    // The name entry's Enter sent the record on to the best-score window, whose Enter stored it.
    EXPECT_EQ(scratch.bytes(), "\"ab\"\r\n\"4970\"\r\n");
}

TEST_F(RecordWindowsTest, aFurtherRecordReusesTheOpenNameEntryAndKeepsTheTypedName)
{
    const QPointer<UserNameWindow> entry = enterChampion("4970");
    typeText(entry, "ab");
    windows->showChampionEntry("4000", kCaption);

    EXPECT_EQ(windows->userNameWindow(), entry);
    EXPECT_EQ(entry->txtName()->text(), "ab");
    EXPECT_EQ(entry->lblScore()->text(), "4000");
    EXPECT_EQ(scratch.bytes(), "\"old\"\r\n\"5000\"\r\n");
}


// Both windows stand over the main window so that the desktop places them there, yet stay
// windows of their own: Enter confirms the window it is typed in, not the owner's shortcut.
TEST(RecordWindowsOwner, bothWindowsStandOverTheOwnerAndKeepTheirOwnEnter)
{
    ScoreDirectory scratch;
    scratch.put("\"old\"\r\n\"5000\"\r\n");
    ReportedProblems problems;
    QWidget owner;
    owner.resize(338, 228);
    int ownerEnters = 0;
    auto* shortcut = new QShortcut(QKeySequence(Qt::Key_Return), &owner);
    QObject::connect(shortcut, &QShortcut::activated, &owner, [&ownerEnters] { ++ownerEnters; });
    owner.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));

    SteadyClock clock;
    const ScoreFile record(scratch.scoreFile());
    RecordWindows windows(record, clock, &owner);
    windows.setProblemReporter(problems.reporter());
    windows.showChampionEntry(QStringLiteral("4970"), kCaption);
    const QPointer<UserNameWindow> entry = windows.userNameWindow();
    ASSERT_NE(entry, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(entry));
    EXPECT_EQ(entry->windowHandle()->transientParent(), owner.windowHandle());
    EXPECT_EQ(entry->parentWidget(), nullptr) << "a child Tool window shares the owner's shortcuts";

    ASSERT_TRUE(QTest::qWaitFor([&entry] { return !entry->leftoverKeys().armed(); }));
    typeText(entry, "abc");
    pressKey(entry, Qt::Key_Return);
    EXPECT_TRUE(QTest::qWaitFor([&entry] { return entry.isNull(); }));
    const QPointer<ScoreWindow> score = windows.scoreWindow();
    ASSERT_NE(score, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(score));
    EXPECT_EQ(score->windowHandle()->transientParent(), owner.windowHandle());
    pressKey(score, Qt::Key_Return);
    EXPECT_TRUE(QTest::qWaitFor([&score] { return score.isNull(); }));
    EXPECT_EQ(scratch.bytes(), "\"abc\"\r\n\"4970\"\r\n");
    EXPECT_EQ(ownerEnters, 0);
}

TEST_F(RecordWindowsTest, lettersStillBeingTypedIntoTheGameWhenTheNameEntryOpensStayOutOfTheBox)
{
    windows->showChampionEntry("4970", kCaption);
    const QPointer<UserNameWindow> entry = windows->userNameWindow();
    ASSERT_NE(entry, nullptr);
    typeText(entry, "rstuvwxyz");
    pressKey(entry, Qt::Key_Return);
    EXPECT_EQ(entry->txtName()->text(), "");
    EXPECT_EQ(windows->scoreWindow(), nullptr) << "an Enter still on its way does not confirm an empty name";
    EXPECT_FALSE(entry->txtName()->testAttribute(Qt::WA_InputMethodEnabled)) << "nor composed by an input method";

    ASSERT_TRUE(QTest::qWaitFor([&entry] { return !entry->leftoverKeys().armed(); }));
    typeText(entry, "abc");
    EXPECT_EQ(entry->txtName()->text(), "abc");
    EXPECT_TRUE(entry->txtName()->testAttribute(Qt::WA_InputMethodEnabled));
}

} // namespace
