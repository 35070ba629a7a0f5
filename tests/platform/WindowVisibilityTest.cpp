#include "platform/WindowVisibility.h"

#include <QGuiApplication>
#include <QTest>
#include <QWidget>
#include <QWindow>
#include <gtest/gtest.h>

#include <vector>

namespace {

// Each way a window stops being seen, and back; every change is told once.
TEST(WindowVisibility, isSeenOnlyWhileShownExposedAndNotMinimized)
{
    QWidget window;
    window.resize(120, 60);
    WindowVisibility visibility(window);
    std::vector<bool> told;
    QObject::connect(&visibility, &WindowVisibility::seenChanged, [&](bool seen) { told.push_back(seen); });
    EXPECT_FALSE(visibility.seen()) << "seen before it was shown";

    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTRY_VERIFY(visibility.seen());

    window.setWindowState(Qt::WindowMinimized);
    QTRY_VERIFY(!visibility.seen());
    window.setWindowState(Qt::WindowNoState);
    QTRY_VERIFY(visibility.seen());

    window.hide();
    QTRY_VERIFY(!visibility.seen());
    window.show();
    QTRY_VERIFY(visibility.seen());
    EXPECT_EQ(told, (std::vector<bool>{true, false, true, false, true}));
}

// Only the X server knows that another window lies over this one; without a window manager the
// cover stands exactly where it is put.
TEST(WindowVisibilityOnX11, aWindowWhollyCoveredByAnotherIsNotSeenUntilItIsUncovered)
{
    if (QGuiApplication::platformName() != QStringLiteral("xcb"))
        GTEST_SKIP() << "needs an X server";
    QWidget window;
    window.setGeometry(40, 40, 120, 60);
    WindowVisibility visibility(window);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTRY_VERIFY(visibility.seen());

    QWidget partly;
    partly.setGeometry(100, 20, 200, 200);
    partly.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&partly));
    QWidget wholly;
    wholly.setGeometry(20, 20, 200, 120);
    wholly.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&wholly));
    QTRY_VERIFY(!visibility.seen());

    // Still partly covered: seen.
    wholly.hide();
    QTRY_VERIFY(visibility.seen());
}

} // namespace
