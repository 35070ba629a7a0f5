#include "platform/X11ScreenPresenter.h"

#include "platform/SteadyClock.h"
#include "tests/platform/ServerKeyPress.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QWindow>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <cstdlib>

#include <optional>

namespace {

class PaintCount final : public QWidget {
public:
    int paints = 0;

protected:
    void paintEvent(QPaintEvent*) override { ++paints; }
};

// A window on a real X server and the presenter that stamps its pictures:
// tests/e2e/x11-presenter.sh starts the server.
struct X11Presenter : ::testing::Test {
    void SetUp() override
    {
        if (QGuiApplication::platformName() != QStringLiteral("xcb"))
            GTEST_SKIP() << "needs an X server";
        widget.resize(60, 30);
        widget.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
        presenter = X11ScreenPresenter::createFor(widget, times);
        ASSERT_NE(presenter, nullptr);
    }

    const SteadyClock clock;
    EventClock times{clock};
    PaintCount widget;
    std::unique_ptr<X11ScreenPresenter> presenter;
};

TEST_F(X11Presenter, eachPictureIsStampedOnTheServersClockBetweenItsDrawingAndItsArrival)
{

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

// The server never says when it had the picture (its answer is lost): the moment of the flush
// stands in once the timeout has passed, never before, and keys are judged against that.
TEST_F(X11Presenter, withoutTheServersStampTheStopGetsTheMomentOfItsFlushAfterTheTimeout)
{

    // The window stops listening to its property changes, so no stamp comes back.
    xcb_connection_t* connection = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
    const auto window = static_cast<xcb_window_t>(widget.winId());
    xcb_get_window_attributes_reply_t* attributes =
        xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, window), nullptr);
    ASSERT_NE(attributes, nullptr);
    const std::uint32_t mask = attributes->your_event_mask & ~std::uint32_t{XCB_EVENT_MASK_PROPERTY_CHANGE};
    std::free(attributes);
    xcb_change_window_attributes(connection, window, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection);

    const std::int64_t drawnAt = clock.nowMicroseconds();
    QElapsedTimer sincePresent;
    std::optional<std::int64_t> stamped;
    std::int64_t waitedMs = 0;
    EXPECT_FALSE(presenter->present([&](std::int64_t at) {
        stamped = at;
        waitedMs = sincePresent.elapsed();
    }).has_value());
    sincePresent.start();
    const std::int64_t presented = clock.nowMicroseconds();
    QTRY_VERIFY_WITH_TIMEOUT(stamped.has_value(), 3 * X11ScreenPresenter::kStampTimeoutMs);
    // Qt may wake a coarse timer up to 5 % early.
    EXPECT_GE(waitedMs, X11ScreenPresenter::kStampTimeoutMs * 95 / 100);
    EXPECT_GE(*stamped, drawnAt);
    EXPECT_LE(*stamped, presented);
    EXPECT_TRUE(times.stampsTrusted()) << "a missing answer says nothing about the server's clock";
}

// Keeps the stamp of the first key press that reaches a window.
class KeyStamp final : public QObject {
public:
    std::optional<std::uint64_t> stampMs;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress && !stampMs)
            stampMs = static_cast<const QKeyEvent*>(event)->timestamp();
        return false;
    }
};

// Whatever the server's clock (tests/e2e/x11-presenter.sh also runs this against a server three
// seconds behind the game's), a key pressed after a stop was shown is later than that stop.
TEST_F(X11Presenter, aKeyPressedAfterTheStopWasShownComesAfterItOnTheGamesClock)
{
    widget.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&widget));
    KeyStamp key;
    widget.windowHandle()->installEventFilter(&key);

    std::optional<std::int64_t> stopAt;
    presenter->present([&](std::int64_t at) { stopAt = at; });
    QTRY_VERIFY_WITH_TIMEOUT(stopAt.has_value(), 3 * X11ScreenPresenter::kStampTimeoutMs);
    ASSERT_TRUE(pressKeyAOnTheServer());
    QTRY_VERIFY(key.stampMs.has_value());
    EXPECT_GT(times.eventMomentOrNow(*key.stampMs), *stopAt);
}

} // namespace
