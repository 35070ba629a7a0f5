#include "platform/X11ScreenPresenter.h"

#include "platform/SteadyClock.h"

#include <QGuiApplication>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include <optional>

namespace {

class PaintCount final : public QWidget {
public:
    int paints = 0;

protected:
    void paintEvent(QPaintEvent*) override { ++paints; }
};

// Runs against a real X server: tests/e2e/x11-presenter.sh starts one for it.
TEST(X11ScreenPresenter, eachPictureIsStampedOnTheServersClockBetweenItsDrawingAndItsArrival)
{
    if (QGuiApplication::platformName() != QStringLiteral("xcb"))
        GTEST_SKIP() << "needs an X server";
    const SteadyClock clock;
    const EventClock times(clock);
    PaintCount widget;
    widget.resize(60, 30);
    widget.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
    const auto presenter = X11ScreenPresenter::createFor(widget, times);
    ASSERT_NE(presenter, nullptr);

    for (int picture = 0; picture < 5; ++picture) {
        const std::int64_t drawnAt = clock.nowMicroseconds();
        const int paints = widget.paints;
        std::optional<std::int64_t> stamped;
        EXPECT_FALSE(presenter->present([&](std::int64_t at) { stamped = at; }).has_value());
        EXPECT_EQ(widget.paints, paints + 1) << "painted before the property change went out";
        // Well before the stand-in of a missing stamp would come.
        QTRY_VERIFY_WITH_TIMEOUT(stamped.has_value(), X11ScreenPresenter::kStampTimeoutMs / 2);
        // A stamp names a whole millisecond and stands for its middle.
        EXPECT_GE(*stamped, drawnAt - 1000);
        EXPECT_LE(*stamped, clock.nowMicroseconds() + 500);
    }
}

} // namespace
