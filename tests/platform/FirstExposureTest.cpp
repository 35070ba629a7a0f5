#include "platform/FirstExposure.h"

#include <QCoreApplication>
#include <QTest>
#include <QWidget>
#include <QWindow>
#include <gtest/gtest.h>

namespace {

// The start-up's message box needs the main window on screen to stand over it.
TEST(FirstExposure, runsOnceWhenTheShownWindowIsFirstOnScreenAndNeverAgain)
{
    QWidget window;
    window.resize(100, 50);
    window.show();
    int runs = 0;
    bool exposedWhenRun = false;
    auto* watcher = new FirstExposure(window, [&] {
        ++runs;
        exposedWhenRun = window.windowHandle()->isExposed();
    });
    EXPECT_EQ(runs, 0) << "ran before the event loop showed the window";
    EXPECT_TRUE(QTest::qWaitFor([&] { return runs == 1; }));
    EXPECT_TRUE(exposedWhenRun);
    EXPECT_TRUE(watcher->done());

    window.hide();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QCoreApplication::processEvents();
    EXPECT_EQ(runs, 1);
}

} // namespace
