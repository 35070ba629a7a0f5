#include "platform/WindowVisibility.h"

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

} // namespace
