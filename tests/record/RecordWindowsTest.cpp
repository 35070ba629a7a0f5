#include "record/RecordWindows.h"

#include "tests/record/RecordWindowTestSupport.h"
#include "tests/record/ScoreDirectory.h"
#include "ui/LeftoverKeyGuard.h"

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
    ReportedProblems problems;
    std::unique_ptr<RecordWindows> windows = std::make_unique<RecordWindows>(scratch.scoreFile());
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
        windows = std::make_unique<RecordWindows>(scratch.scoreFile());
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

    RecordWindows windows(scratch.scoreFile(), &owner);
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
