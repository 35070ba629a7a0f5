#include "ui/VersionWindow.h"

#include "platform/Shell.h"
#include "ui/MakerInfo.h"

#include <QLabel>
#include <QScreen>
#include <QTest>
#include <QUrl>
#include <QWindow>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

class RecordingShell : public Shell {
public:
    void openUrl(const std::string& address) override { opened.push_back(address); }
    std::vector<std::string> opened;
};

class VersionWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        window = std::make_unique<VersionWindow>(shell);
        window->open();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    // Clicks the window where the named control lies, so that whatever is in front gets it.
    void clickOn(const char* name)
    {
        const auto* control = window->findChild<QWidget*>(QString::fromLatin1(name));
        ASSERT_NE(control, nullptr) << name;
        const QPoint centre = control->mapTo(window.get(), control->rect().center());
        QTest::mouseClick(window->windowHandle(), Qt::LeftButton, Qt::NoModifier, centre);
    }

    RecordingShell shell;
    std::unique_ptr<VersionWindow> window;
};

TEST_F(VersionWindowTest, hasItsCaptionAFixedClientAreaAndAToolFrameWithOnlyACloseBox)
{
    EXPECT_EQ(window->objectName(), "frmVersion");
    EXPECT_EQ(window->windowTitle(), QStringLiteral("バージョン情報"));
    EXPECT_EQ(window->size(), QSize(258, 205));
    EXPECT_EQ(window->minimumSize(), window->maximumSize());

    const Qt::WindowFlags flags = window->windowFlags();
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);

}

TEST(VersionWindow, opensCentredOnTheScreenNotOverTheActiveWindow)
{
    QWidget mainWindow;
    mainWindow.setGeometry(10, 10, 338, 228);
    mainWindow.show();
    mainWindow.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&mainWindow));

    RecordingShell shell;
    VersionWindow window(shell);
    window.open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    const QPoint offCentre = window.geometry().center() - window.screen()->availableGeometry().center();
    EXPECT_LE(offCentre.manhattanLength(), 1);
}

TEST_F(VersionWindowTest, showsNameVersionAndCreditsWhereTheLayoutPutsThem)
{
    struct Expected {
        const char* name;
        QString text;
        QRect place;
    };
    const Expected labels[] = {
        {"lblTitleFront", "Zumikko", {32, 17, 191, 37}},
        {"lblTitleBack", "Zumikko", {34, 19, 191, 37}},
        {"lblVersion", "Version 1.0.0", {94, 59, 65, 12}},
        {"lblProduced", MakerInfo::kProducedBy, {78, 91, 102, 12}},
        {"lblReserved", MakerInfo::kRightsReserved, {78, 107, 102, 12}},
    };
    for (const Expected& e : labels) {
        const auto* label = window->findChild<QLabel*>(QString::fromLatin1(e.name));
        ASSERT_NE(label, nullptr) << e.name;
        EXPECT_EQ(label->text(), e.text) << e.name;
        // Grown around its text where a font needs more room, it still covers its place.
        const QRect shown(label->mapTo(window.get(), QPoint(0, 0)), label->size());
        EXPECT_TRUE(shown.contains(e.place.topLeft())) << e.name;
        // A taller line grows alike above and below, so the text stays on the layout's line.
        EXPECT_LE(std::abs((shown.top() * 2 + shown.height()) - (e.place.top() * 2 + e.place.height())), 1) << e.name;
        // Sized to its text: nothing cut off.
        EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(e.text)) << e.name;
        EXPECT_LE(label->mapTo(window.get(), label->rect().bottomRight()).x(), 257) << e.name;
    }
    // The shadow is the name again, in the same letters.
    const auto* front = window->findChild<QLabel*>("lblTitleFront");
    const auto* back = window->findChild<QLabel*>("lblTitleBack");
    ASSERT_TRUE(front && back);
    EXPECT_EQ(front->font(), back->font());
    EXPECT_EQ(front->alignment(), back->alignment());
    const auto* logo = window->findChild<QWidget*>("picQuillon");
    ASSERT_NE(logo, nullptr);
    EXPECT_EQ(logo->cursor().shape(), Qt::PointingHandCursor) << "the logo is a link";
    EXPECT_EQ(QRect(logo->mapTo(window.get(), QPoint(0, 0)), logo->size()), QRect(12, 139, 234, 60));
}

TEST_F(VersionWindowTest, eachClickOnTheLogoAsksTheShellForTheHomePageAndLeavesTheWindowOpen)
{
    clickOn("picQuillon");
    EXPECT_EQ(shell.opened, std::vector<std::string>{MakerInfo::kHomePage});
    EXPECT_TRUE(window->isVisible());

    clickOn("picQuillon");
    clickOn("picQuillon");
    EXPECT_EQ(shell.opened.size(), 3u);
    EXPECT_TRUE(window->isVisible());

    const QUrl address(QString::fromUtf8(MakerInfo::kHomePage), QUrl::StrictMode);
    EXPECT_TRUE(address.isValid());
    EXPECT_EQ(address.scheme(), "https");
    EXPECT_TRUE(address.host().endsWith(".example.com"));
}

TEST_F(VersionWindowTest, aClickOnTheNameTheVersionOrACreditLineClosesTheWindow)
{
    for (const char* name : {"lblTitleFront", "lblTitleBack", "lblVersion", "lblProduced", "lblReserved"}) {
        SCOPED_TRACE(name);
        window = std::make_unique<VersionWindow>(shell);
        window->open();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));

        clickOn(name);
        EXPECT_FALSE(window->isVisible());
        EXPECT_EQ(window->result(), QDialog::Accepted);
    }
    EXPECT_TRUE(shell.opened.empty());
}

TEST_F(VersionWindowTest, aClickOnAnEmptyPartOfTheWindowClosesIt)
{
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 60));
    EXPECT_FALSE(window->isVisible());
}

TEST_F(VersionWindowTest, escapeClosesTheWindow)
{
    QTest::keyClick(window->windowHandle(), Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(VersionWindowTest, noControlCanTakeTheKeyboardFocus)
{
    const QList<QWidget*> children = window->findChildren<QWidget*>();
    ASSERT_GE(children.size(), 8);
    for (const QWidget* child : children)
        EXPECT_EQ(child->focusPolicy(), Qt::NoFocus) << child->objectName().toStdString();

    QTest::keyClick(window->windowHandle(), Qt::Key_Tab);
    EXPECT_EQ(window->focusWidget(), nullptr);
}

} // namespace
