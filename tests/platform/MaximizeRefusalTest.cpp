#include "platform/MaximizeRefusal.h"

#include <QGuiApplication>
#include <QTest>
#include <QWidget>
#include <QWindow>
#include <gtest/gtest.h>

namespace {

// Runs against a real compositor: tests/e2e/wayland-presenter.sh starts weston for it, which
// ends a client whose maximized window keeps its own size.
TEST(MaximizeRefusal, aFixedSizeWindowAskedToMaximizeStaysNormalAndConnected)
{
    if (QGuiApplication::platformName() != QStringLiteral("wayland"))
        GTEST_SKIP() << "needs a Wayland compositor";
    QWidget window;
    window.setFixedSize(120, 80);
    MaximizeRefusal::attachTo(window);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    for (int attempt = 0; attempt < 3; ++attempt) {
        // What the maximize button of Qt's own decoration does.
        window.windowHandle()->setWindowStates(window.windowHandle()->windowStates() ^ Qt::WindowMaximized);
        QTRY_COMPARE(window.windowHandle()->windowStates(), Qt::WindowStates(Qt::WindowNoState));
        window.repaint();
        EXPECT_EQ(window.size(), QSize(120, 80));
    }
    // A round trip through the compositor after the last frame: a client it ended would not get here.
    QWidget probe;
    probe.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&probe));
}

} // namespace
