#include "record/ScoreWindow.h"

#include "platform/ElidingLabel.h"
#include "record/ScoreFile.h"
#include "tests/record/RecordWindowTestSupport.h"
#include "tests/record/ScoreDirectory.h"

#include <QHelpEvent>

#include <QPointer>
#include <QPushButton>

#include <filesystem>
#include <optional>

namespace {

class ScoreWindowTest : public ::testing::Test {
protected:
    void TearDown() override { delete window.data(); }

    ScoreWindow* open()
    {
        window = new ScoreWindow(record, problems.reporter());
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window));
        return window;
    }
    bool closed() { return QTest::qWaitFor([this] { return window.isNull(); }); }

    ScoreDirectory scratch;
    ScoreFile record{scratch.scoreFile()};
    ReportedProblems problems;
    QPointer<ScoreWindow> window;
};

TEST_F(ScoreWindowTest, placesEveryControlAsTheLayoutTableSays)
{
    open();
    EXPECT_EQ(window->objectName(), "frmScore");
    EXPECT_EQ(window->windowTitle(), "過去最高スコア");
    expectFixedToolWindowWithOnlyACloseBox(*window, QSize(312, 135));
    expectLayout(*window, {
        {"Label1", {32, 16, 250, 12}, 9, false, "このゲームではスコアの少ない方が高得点です。", true},
        {"Label2", {8, 52, 62, 12}, 9, false, "チャンピオン", true},
        {"lblScore", {208, 48, 97, 21}, 12, false, "0"},
        {"cmdClose", {112, 96, 89, 25}, 9, false, ""},
    });
    expectHeadingsClear(*window, {{"Label2", "lblName"}});
    // The name box stands where the layout puts it, but gives a heading wider than its place in
    // the font used (VL Gothic's, Noto's) the part of its left end the heading needs.
    const QRect name = window->lblName()->geometry();
    EXPECT_EQ(QRect(QPoint(72, name.top()), name.bottomRight()), QRect(72, 48, 137, 21));
    EXPECT_LE(name.left(), window->findChild<QLabel*>("Label2")->geometry().right() + 3);
    EXPECT_DOUBLE_EQ(window->lblName()->font().pointSizeF(), 12);
    EXPECT_EQ(window->lblName()->text(), "-");
    EXPECT_EQ(window->cmdClose()->text(), "OK");
    EXPECT_TRUE(window->cmdClose()->isDefault());

    struct Value {
        const QLabel* label;
        Qt::Alignment alignment;
    };
    for (const Value& v : {Value{window->lblName(), Qt::AlignLeft}, Value{window->lblScore(), Qt::AlignRight}}) {
        EXPECT_EQ(v.label->frameShape(), QFrame::Box) << v.label->objectName().toStdString();
        EXPECT_EQ(v.label->alignment() & Qt::AlignHorizontal_Mask, v.alignment);
        EXPECT_EQ(v.label->palette().color(QPalette::Window), QColor(0xFF, 0xFF, 0xC0));
        EXPECT_EQ(v.label->textFormat(), Qt::PlainText);
    }
    expectCentredOnScreen(*window);
}

TEST_F(ScoreWindowTest, loadShowsTheRecordOnFileOrKeepsThePlaceholdersAndReportsDamage)
{
    struct Case {
        std::optional<std::string> file;
        QString name, score;
        QString problem;
    };
    const Case cases[] = {
        {"\"\x96\xBC\x91\x4F\",\"4970\"", "名前", "4970", ""},
        {std::nullopt, "-", "0", ""},
        {"\"abc\"\r\n\"abc\"\r\n", "-", "0",
         QString::fromStdString(scratch.scoreFile()) + " の2行目のスコア「abc」が数値ではありません。"},
        // Markup in a name is a name like any other.
        {"\"<b>BIG</b><h1>X</h1>\"\r\n\"4970\"\r\n", "<b>BIG</b><h1>X</h1>", "4970", ""},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(scratch.scoreFile());
        if (c.file)
            scratch.put(*c.file);
        problems.messages.clear();
        open()->load();

        EXPECT_EQ(window->lblName()->text(), c.name);
        EXPECT_EQ(window->lblScore()->text(), c.score);
        EXPECT_EQ(problems.messages, c.problem.isEmpty() ? std::vector<QString>{} : std::vector<QString>{c.problem});
        EXPECT_EQ(std::filesystem::exists(scratch.scoreFile()), c.file.has_value());
        if (c.file) {
            EXPECT_EQ(scratch.bytes(), *c.file);
        }
        delete window.data();
    }
}

TEST_F(ScoreWindowTest, okAfterLoadingADamagedFileClosesWithoutOverwritingIt)
{
    scratch.put("\"\x81\x20\"\r\n\"4970\"\r\n");
    open()->load();
    pressKey(window, Qt::Key_Return);
    EXPECT_TRUE(closed());
    EXPECT_EQ(scratch.bytes(), "\"\x81\x20\"\r\n\"4970\"\r\n");
}

TEST_F(ScoreWindowTest, aFileThatCannotBeWrittenKeepsTheWindowOpenWithTheRecordForAnotherTry)
{
    std::filesystem::create_directory(scratch.scoreFile());
    open()->setRecord("abc", "4970");

    pressKey(window, Qt::Key_Return);
    ASSERT_EQ(problems.messages.size(), 1u);
    EXPECT_EQ(problems.messages.front(),
              QString::fromStdString(scratch.scoreFile() + " に保存できませんでした（" + scratch.scoreFile()
                                     + " はフォルダーで、普通のファイルではありません）。"));
    ASSERT_FALSE(window.isNull());
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->lblName()->text(), "abc");
    EXPECT_EQ(window->lblScore()->text(), "4970");

    std::filesystem::remove(scratch.scoreFile());
    QTest::mouseClick(window->cmdClose(), Qt::LeftButton);
    EXPECT_TRUE(closed());
    EXPECT_EQ(scratch.bytes(), "\"abc\"\r\n\"4970\"\r\n");
}

// A name longer than its box ends in "…" rather than mid-letter; the whole name stays the record.
TEST_F(ScoreWindowTest, aLongNameEndsInAnEllipsisShowsWholeAsTooltipAndIsStoredWhole)
{
    const QString longName = QString(40, QChar(0x3042));  // あ × 40
    struct Case {
        QString name;
        bool elided;
    };
    for (const Case& c : {Case{"abc", false}, Case{longName, true}}) {
        open()->setRecord(c.name, "4970");
        auto* name = dynamic_cast<ElidingLabel*>(window->lblName());
        ASSERT_NE(name, nullptr);
        EXPECT_EQ(name->elided(), c.elided);
        EXPECT_EQ(name->text(), c.name);
        QHelpEvent hover(QEvent::ToolTip, QPoint(5, 5), name->mapToGlobal(QPoint(5, 5)));
        QCoreApplication::sendEvent(name, &hover);
        EXPECT_EQ(name->toolTip(), c.name);

        pressKey(window, Qt::Key_Return);
        EXPECT_TRUE(closed());
        EXPECT_EQ(ScoreFile(scratch.scoreFile()).read().record.name, c.name.toStdString());
    }
}

} // namespace
