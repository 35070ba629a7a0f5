#include "platform/X11ScreenPresenter.h"

#include "platform/SteadyClock.h"
#include "platform/SurfaceWidget.h"
#include "tests/platform/ServerKeyPress.h"

#include <QAbstractNativeEventFilter>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QTest>
#include <QWidget>
#include <QWindow>
#include <gtest/gtest.h>

#include <xcb/present.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

namespace {

// Xvfb's simulated vertical blank.
constexpr double kFrameUs = 1'000'000.0 / 60;

// What the X server tells a client of its own about the window: the stamps of the presenter's
// property changes and the completions of its presentations.
class ServerWatch {
public:
    struct Completion {
        std::uint32_t serial;
        std::uint8_t mode;
        std::uint64_t ust;
        std::uint64_t msc;
    };

    explicit ServerWatch(xcb_window_t window) : connection_(xcb_connect(nullptr, nullptr)), window_(window)
    {
        static const char kName[] = "_ZUMIKKO_PICTURE_SHOWN";
        xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
            connection_, xcb_intern_atom(connection_, 0, std::strlen(kName), kName), nullptr);
        if (atom)
            atom_ = atom->atom;
        std::free(atom);
        const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(connection_, window, XCB_CW_EVENT_MASK, &mask);
        const xcb_query_extension_reply_t* present = xcb_get_extension_data(connection_, &xcb_present_id);
        if (present && present->present) {
            presentOpcode_ = present->major_opcode;
            xcb_present_select_input(connection_, xcb_generate_id(connection_), window,
                                     XCB_PRESENT_EVENT_MASK_COMPLETE_NOTIFY);
        }
        xcb_aux_sync();
    }
    ~ServerWatch() { xcb_disconnect(connection_); }

    // Takes a selection, as a compositing manager takes _NET_WM_CM_Sn.
    void ownSelection(const char* name)
    {
        xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
            connection_, xcb_intern_atom(connection_, 0, std::strlen(name), name), nullptr);
        if (atom)
            xcb_set_selection_owner(connection_, window_, atom->atom, XCB_CURRENT_TIME);
        std::free(atom);
        xcb_aux_sync();
    }

    void poll()
    {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
            const std::uint8_t type = event->response_type & 0x7F;
            if (type == XCB_PROPERTY_NOTIFY) {
                const auto* notify = reinterpret_cast<xcb_property_notify_event_t*>(event);
                if (notify->atom == atom_)
                    stampsMs.push_back(notify->time);
            } else if (type == XCB_GE_GENERIC
                       && reinterpret_cast<xcb_ge_generic_event_t*>(event)->extension == presentOpcode_
                       && reinterpret_cast<xcb_ge_generic_event_t*>(event)->event_type == XCB_PRESENT_COMPLETE_NOTIFY) {
                const auto* complete = reinterpret_cast<xcb_present_complete_notify_event_t*>(event);
                completions.push_back({complete->serial, complete->mode, complete->ust, complete->msc});
            }
            std::free(event);
        }
    }

    // The window's pixels in `area`, as 0xRRGGBB.
    std::vector<std::uint32_t> pixels(QRect area)
    {
        std::vector<std::uint32_t> out;
        xcb_get_image_reply_t* image = xcb_get_image_reply(
            connection_,
            xcb_get_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, window_, area.x(), area.y(), area.width(),
                          area.height(), ~0u),
            nullptr);
        if (!image)
            return out;
        const auto* data = reinterpret_cast<const std::uint32_t*>(xcb_get_image_data(image));
        out.assign(data, data + area.width() * area.height());
        for (std::uint32_t& p : out)
            p &= 0xFFFFFF;
        std::free(image);
        return out;
    }

    std::vector<std::uint32_t> stampsMs;
    std::vector<Completion> completions;

private:
    void xcb_aux_sync() { std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr)); }

    xcb_connection_t* connection_;
    xcb_window_t window_;
    xcb_atom_t atom_ = XCB_ATOM_NONE;
    std::uint8_t presentOpcode_ = 0;
};

// Keeps the events of the given kinds from the program, as if the server never sent them.
class LostEvents final : public QAbstractNativeEventFilter {
public:
    bool completions = false;
    bool propertyChanges = false;

    bool nativeEventFilter(const QByteArray&, void* message, qintptr*) override
    {
        const std::uint8_t type = static_cast<xcb_generic_event_t*>(message)->response_type & 0x7F;
        return (completions && type == XCB_GE_GENERIC) || (propertyChanges && type == XCB_PROPERTY_NOTIFY);
    }
};

std::vector<std::uint32_t> surfacePixels(const Surface& surface)
{
    std::vector<std::uint32_t> out;
    for (int y = 0; y < surface.height(); ++y)
        out.insert(out.end(), surface.row(y), surface.row(y) + surface.width());
    return out;
}

void drawPicture(Surface& surface, int picture)
{
    for (int y = 0; y < surface.height(); ++y)
        for (int x = 0; x < surface.width(); ++x)
            surface.setPixel(x, y, static_cast<std::uint32_t>((x * 7 + picture * 40) << 16 | (y * 5) << 8 | (x + y + picture)));
}

// A reel-sized picture inside a window on a real X server, and the presenter that shows it:
// tests/e2e/x11-presenter.sh starts the server.
struct X11Presenter : ::testing::Test {
    explicit X11Presenter(X11ScreenPresenter::PresentUse use = X11ScreenPresenter::PresentUse::WhereOffered)
        : use(use)
    {
    }

    void SetUp() override
    {
        if (QGuiApplication::platformName() != QStringLiteral("xcb"))
            GTEST_SKIP() << "needs an X server";
        window.resize(200, 90);
        reel.move(23, 41);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        presenter = X11ScreenPresenter::createFor(reel, times, use);
        ASSERT_NE(presenter, nullptr);
        watch.emplace(static_cast<xcb_window_t>(window.winId()));
    }

    QRect reelArea() const { return QRect(reel.mapTo(&window, QPoint(0, 0)), reel.size()); }

    const X11ScreenPresenter::PresentUse use;
    const SteadyClock clock;
    EventClock times{clock};
    QWidget window;
    SurfaceWidget reel{137, 33, 0x000000, &window};
    std::unique_ptr<X11ScreenPresenter> presenter;
    std::optional<ServerWatch> watch;
};

// The stop's time is the vertical blank at which the server put the picture into the window,
// after the moment it had the picture, at the first blank the server takes: Xvfb counts to the
// nearest blank and presents at the one after it, so a picture waits half a frame to one and a half.
// The window then shows exactly the widget's picture in the widget's place.
TEST_F(X11Presenter, theStopIsTheCompletionOfThePresentedPictureAtTheFirstBlankAfterTheServersStamp)
{
    ASSERT_TRUE(presenter->usesPresent());
    for (int picture = 0; picture < 5; ++picture) {
        drawPicture(reel.surface(), picture);
        std::optional<std::int64_t> stopAt;
        std::vector<std::uint32_t> shown;
        EXPECT_FALSE(presenter->present([&](std::int64_t at) {
            stopAt = at;
            shown = watch->pixels(reelArea());
        }).has_value());
        QTRY_VERIFY_WITH_TIMEOUT(stopAt.has_value(), 3 * X11ScreenPresenter::kStampTimeoutMs);
        QTRY_VERIFY((watch->poll(), watch->completions.size() == std::size_t(picture + 1)));
        ASSERT_EQ(watch->stampsMs.size(), std::size_t(picture + 1));
        const ServerWatch::Completion& completion = watch->completions.back();
        EXPECT_EQ(completion.mode, XCB_PRESENT_COMPLETE_MODE_COPY);
        EXPECT_EQ(*stopAt, static_cast<std::int64_t>(completion.ust));
        const std::int64_t afterStampUs = *stopAt - std::int64_t{watch->stampsMs.back()} * 1000;
        // Never at once: Xvfb's nearest blank is at least half a frame off its next but one.
        EXPECT_GT(afterStampUs, 0.5 * kFrameUs - 200) << "picture " << picture;
        EXPECT_LT(afterStampUs, 1.5 * kFrameUs + 1000) << "picture " << picture;
        EXPECT_EQ(shown, surfacePixels(reel.surface())) << "picture " << picture;
    }
    EXPECT_EQ(presenter->tally().completions, 5);
    EXPECT_EQ(presenter->tally().serverStampFallbacks + presenter->tally().flushFallbacks, 0);
    EXPECT_EQ(presenter->tally().composited, 0);

    // Once shown, the widget's own paints reach the window again.
    drawPicture(reel.surface(), 9);
    reel.update();
    QTRY_COMPARE(watch->pixels(reelArea()), surfacePixels(reel.surface()));
}

// Under a compositing manager the completion is when the picture reached the window's pixmap:
// it is still the stop's time, and such stops are counted.
TEST_F(X11Presenter, aStopUnderACompositingManagerIsCountedAsSuch)
{
    ASSERT_TRUE(presenter->usesPresent());
    watch->ownSelection("_NET_WM_CM_S0");
    std::optional<X11ScreenPresenter::Outcome> outcome;
    presenter->setObserver([&](const X11ScreenPresenter::Outcome& o) { outcome = o; });
    presenter->present({});
    QTRY_VERIFY_WITH_TIMEOUT(outcome.has_value(), 3 * X11ScreenPresenter::kStampTimeoutMs);
    EXPECT_TRUE(outcome->composited);
    EXPECT_EQ(outcome->source, X11ScreenPresenter::Source::Completion);
    EXPECT_EQ(presenter->tally().composited, 1);
}

// No completion comes (it is lost): after its timeout the picture is painted the plain way and
// its stamp is the stop's time; where that stamp is lost too, the moment of that flush, after
// the stamp's timeout. Each is counted.
TEST_F(X11Presenter, withoutACompletionTheStopIsThePlainPaintsStampAndWithoutThatItsFlush)
{
    ASSERT_TRUE(presenter->usesPresent());
    LostEvents lost;
    lost.completions = true;
    qGuiApp->installNativeEventFilter(&lost);

    drawPicture(reel.surface(), 1);
    QElapsedTimer sincePresent;
    sincePresent.start();
    std::optional<std::int64_t> stopAt;
    std::int64_t waitedMs = 0;
    presenter->present([&](std::int64_t at) {
        stopAt = at;
        waitedMs = sincePresent.elapsed();
    });
    QTRY_VERIFY_WITH_TIMEOUT(stopAt.has_value(), 3 * X11ScreenPresenter::kCompletionTimeoutMs);
    // Qt may wake a timer up to 5 % early.
    EXPECT_GE(waitedMs, X11ScreenPresenter::kCompletionTimeoutMs * 95 / 100);
    QTRY_VERIFY((watch->poll(), watch->stampsMs.size() == 2));
    EXPECT_EQ(*stopAt, std::int64_t{watch->stampsMs[1]} * 1000 + 500) << "the stamp of the plain paint";
    EXPECT_EQ(presenter->tally().serverStampFallbacks, 1);

    lost.propertyChanges = true;
    const std::int64_t drawnAt = clock.nowMicroseconds();
    stopAt.reset();
    sincePresent.restart();
    presenter->present([&](std::int64_t at) {
        stopAt = at;
        waitedMs = sincePresent.elapsed();
    });
    const int bothTimeoutsMs = X11ScreenPresenter::kCompletionTimeoutMs + X11ScreenPresenter::kStampTimeoutMs;
    QTRY_VERIFY_WITH_TIMEOUT(stopAt.has_value(), 3 * bothTimeoutsMs);
    EXPECT_GE(waitedMs, bothTimeoutsMs * 95 / 100);
    EXPECT_GE(*stopAt, drawnAt + X11ScreenPresenter::kCompletionTimeoutMs * 950) << "the flush of the plain paint";
    EXPECT_LT(*stopAt, drawnAt + X11ScreenPresenter::kStampTimeoutMs * 1000);
    EXPECT_EQ(presenter->tally().flushFallbacks, 1);
    EXPECT_EQ(presenter->tally().completions, 0);
    EXPECT_TRUE(times.stampsTrusted()) << "a missing answer says nothing about the server's clock";
    qGuiApp->removeNativeEventFilter(&lost);
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
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    KeyStamp key;
    window.windowHandle()->installEventFilter(&key);

    std::optional<std::int64_t> stopAt;
    presenter->present([&](std::int64_t at) { stopAt = at; });
    QTRY_VERIFY_WITH_TIMEOUT(stopAt.has_value(), 3 * X11ScreenPresenter::kStampTimeoutMs);
    ASSERT_TRUE(pressKeyAOnTheServer());
    QTRY_VERIFY(key.stampMs.has_value());
    EXPECT_GT(times.eventMomentOrNow(*key.stampMs), *stopAt);
}

struct X11PresenterWithoutPresent : X11Presenter {
    X11PresenterWithoutPresent() : X11Presenter(X11ScreenPresenter::PresentUse::Never) {}
};

// As on a server without Present: the widget is painted as Qt paints it, and the server's stamp of the
// property change behind it is the stop's time, counted as a fallback.
TEST_F(X11PresenterWithoutPresent, theStopIsTheServersStampOfThePaintedPicture)
{
    ASSERT_FALSE(presenter->usesPresent());
    for (int picture = 0; picture < 3; ++picture) {
        drawPicture(reel.surface(), picture);
        const std::int64_t drawnAt = clock.nowMicroseconds();
        std::optional<std::int64_t> stopAt;
        std::vector<std::uint32_t> shown;
        presenter->present([&](std::int64_t at) {
            stopAt = at;
            shown = watch->pixels(reelArea());
        });
        QTRY_VERIFY_WITH_TIMEOUT(stopAt.has_value(), X11ScreenPresenter::kStampTimeoutMs / 2);
        EXPECT_EQ(shown, surfacePixels(reel.surface())) << "painted before the server stamped it";
        QTRY_VERIFY((watch->poll(), watch->stampsMs.size() == std::size_t(picture + 1)));
        EXPECT_EQ(*stopAt, std::int64_t{watch->stampsMs.back()} * 1000 + 500);
        EXPECT_GE(*stopAt, drawnAt - 1000);
    }
    EXPECT_EQ(presenter->tally().serverStampFallbacks, 3);
}

} // namespace
