#include "record/RecordFormat.h"
#include "record/UserNameWindow.h"

#include "platform/SteadyClock.h"
#include "tests/record/RecordWindowTestSupport.h"

#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>

namespace {

class UserNameWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        window = new UserNameWindow(clock, problems.reporter());
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    }
    void TearDown() override { delete window.data(); }

    SteadyClock clock;
    ReportedProblems problems;
    QPointer<UserNameWindow> window;
};

TEST_F(UserNameWindowTest, placesEveryControlAsTheLayoutTableSays)
{
    EXPECT_EQ(window->objectName(), "frmUserName");
    EXPECT_EQ(window->windowTitle(), "You are new champion.");
    expectFixedToolWindowWithOnlyACloseBox(*window, QSize(298, 171));
    expectLayout(*window, {
        {"lblMessage", {24, 8, 257, 25}, 9, false,
         "過去最高スコアを越し、チャンピオンになりました。あなたのお名前を入力してください。", true},
        {"Label1", {8, 62, 87, 13}, 9.75, false, "あなたのお名前", true},
        {"txtName", {104, 56, 185, 22}, 11.25, false, ""},
        {"Label3", {8, 93, 83, 13}, 9.75, false, "あなたのスコア", true},
        {"lblScore", {104, 88, 185, 22}, 11.25, true, ""},
        {"cmdOK", {108, 136, 81, 25}, 9, false, ""},
    });
    expectHeadingsClear(*window, {{"Label1", "txtName"}, {"Label3", "lblScore"}});
    EXPECT_TRUE(window->findChild<QLabel*>("lblMessage")->wordWrap());
    EXPECT_TRUE(window->txtName()->text().isEmpty());
    EXPECT_TRUE(window->txtName()->testAttribute(Qt::WA_InputMethodEnabled));
    EXPECT_EQ(window->cmdOK()->text(), "OK");
    EXPECT_TRUE(window->cmdOK()->isDefault());

    const QLabel* score = window->lblScore();
    EXPECT_EQ(score->frameShape(), QFrame::Box);
    EXPECT_EQ(score->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    EXPECT_EQ(score->palette().color(QPalette::Window), window->palette().color(QPalette::HighlightedText));
    EXPECT_TRUE(score->autoFillBackground());

    expectCentredOnScreen(*window);
}

TEST_F(UserNameWindowTest, refusesANameTheFileCannotHoldAndKeepsItForCorrection)
{
    const QSignalSpy confirmed(window.data(), &UserNameWindow::nameConfirmed);
    const char* typed[] = {"a\"b", "\"\""};
    for (const char* name : typed) {
        window->txtName()->clear();
        typeText(window, name);
        pressKey(window, Qt::Key_Return);
        ASSERT_EQ(problems.messages.size(), 1u) << name;
        EXPECT_EQ(problems.messages.front(), "次の文字は記録できません。名前を直してください: 「\"」");
        EXPECT_EQ(window->txtName()->text(), name);
        problems.messages.clear();
    }
    // Characters beyond CP932 arrive through the input method rather than as keys.
    window->txtName()->setText("名前😀");
    QTest::mouseClick(window->cmdOK(), Qt::LeftButton);
    ASSERT_EQ(problems.messages.size(), 1u);
    EXPECT_EQ(problems.messages.front(), "次の文字は記録できません。名前を直してください: 「😀」");

    EXPECT_EQ(confirmed.count(), 0);
    EXPECT_TRUE(window->isVisible());
}

// A million pasted characters: the box keeps only as many as always fit into a record the reader
// accepts, with two-byte characters and the longest score a game can give.
TEST_F(UserNameWindowTest, aPastedNameIsCutToWhatTheRecordCanAlwaysHold)
{
    QSignalSpy confirmed(window.data(), &UserNameWindow::nameConfirmed);
    window->lblScore()->setText(QStringLiteral("2147483647"));
    window->txtName()->insert(QString(1'000'000, QChar(0x3042)));  // あ, two bytes in CP932
    pressKey(window, Qt::Key_Return);
    ASSERT_EQ(confirmed.count(), 1);
    const ScoreRecord record{confirmed.at(0).at(0).toString().toStdString(), confirmed.at(0).at(1).toString().toStdString()};
    EXPECT_GE(record.name.size(), 3u * 30000) << "no name a player could type is cut";
    EXPECT_EQ(RecordFormat::compose(record, "score.dat").problem, "");
}

} // namespace
