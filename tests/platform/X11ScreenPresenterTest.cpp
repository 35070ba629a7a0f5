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
#include <xcb/sync.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdio>
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

    std::uint8_t presentOpcode() const { return presentOpcode_; }

    // Takes a selection, as a compositing manager takes _NET_WM_CM_Sn.
    void ownSelection(const char* name)
    {
        xcb_set_selection_owner(connection_, window_, atom(name), XCB_CURRENT_TIME);
        xcb_aux_sync();
    }

    // Whether a client other than this one owns the selection.
    bool ownedByAnother(const char* name)
    {
        xcb_get_selection_owner_reply_t* owner = xcb_get_selection_owner_reply(
            connection_, xcb_get_selection_owner(connection_, atom(name)), nullptr);
        const bool owned = owner && owner->owner != XCB_NONE && owner->owner != window_;
        std::free(owner);
        return owned;
    }

    // The window's _NET_WM_SYNC_REQUEST_COUNTER.
    std::vector<std::uint32_t> counters()
    {
        std::vector<std::uint32_t> out;
        xcb_get_property_reply_t* property = xcb_get_property_reply(
            connection_,
            xcb_get_property(connection_, 0, window_, atom("_NET_WM_SYNC_REQUEST_COUNTER"), XCB_ATOM_CARDINAL, 0, 8),
            nullptr);
        if (property && property->format == 32) {
            const auto* values = static_cast<const std::uint32_t*>(xcb_get_property_value(property));
            out.assign(values, values + xcb_get_property_value_length(property) / 4);
        }
        std::free(property);
        return out;
    }

    std::optional<std::uint64_t> counterValue(std::uint32_t counter)
    {
        xcb_sync_query_counter_reply_t* reply =
            xcb_sync_query_counter_reply(connection_, xcb_sync_query_counter(connection_, counter), nullptr);
        if (!reply)
            return std::nullopt;
        const std::uint64_t value = std::uint64_t(std::uint32_t(reply->counter_value.hi)) << 32
                                    | reply->counter_value.lo;
        std::free(reply);
        return value;
    }

    // Sends the window a client message, as a compositing manager sends its frame messages.
    void send(const char* type, std::array<std::uint32_t, 5> l)
    {
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = window_;
        message.type = atom(type);
        for (int i = 0; i < 5; ++i)
            message.data.data32[i] = l[i];
        xcb_send_event(connection_, 0, window_, 0, reinterpret_cast<const char*>(&message));
        xcb_aux_sync();
    }

    std::uint32_t atom(const char* name)
    {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            connection_, xcb_intern_atom(connection_, 0, std::strlen(name), name), nullptr);
        const std::uint32_t atom = reply ? reply->atom : std::uint32_t{XCB_ATOM_NONE};
        std::free(reply);
        return atom;
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
    // Only the completions of pictures that were shown; those of skipped ones still come.
    std::uint8_t shownPicturesOfPresent = 0;  // Present's opcode

    bool nativeEventFilter(const QByteArray&, void* message, qintptr*) override
    {
        const auto* event = static_cast<xcb_generic_event_t*>(message);
        const std::uint8_t type = event->response_type & 0x7F;
        if (type == XCB_GE_GENERIC && shownPicturesOfPresent != 0) {
            const auto* generic = reinterpret_cast<const xcb_ge_generic_event_t*>(event);
            if (generic->extension == shownPicturesOfPresent && generic->event_type == XCB_PRESENT_COMPLETE_NOTIFY)
                return reinterpret_cast<const xcb_present_complete_notify_event_t*>(event)->mode
                       != XCB_PRESENT_COMPLETE_MODE_SKIP;
        }
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

// Keeps the messages Qt writes while it lives, for a test to read, and passes them on.
class QtMessages {
public:
    QtMessages() { previous_ = qInstallMessageHandler(&QtMessages::keep); }
    ~QtMessages() { qInstallMessageHandler(previous_); }
    static inline std::vector<QString> kept;

private:
    static void keep(QtMsgType type, const QMessageLogContext& context, const QString& text)
    {
        kept.push_back(text);
        if (previous_)
            previous_(type, context, text);
    }
    static inline QtMessageHandler previous_ = nullptr;
};

// Counts the paints that reach it.
class CountingSurface final : public SurfaceWidget {
public:
    using SurfaceWidget::SurfaceWidget;
    int paints = 0;

protected:
    void paintEvent(QPaintEvent* event) override
    {
        ++paints;
        SurfaceWidget::paintEvent(event);
    }
};

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
        // As the game's window: the presenter gives only a fixed-size window a frame counter.
        window.setFixedSize(200, 90);
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
    CountingSurface reel{137, 33, 0x000000, &window};
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
    EXPECT_EQ(watch->counters().size(), 1u) << "Qt's own alone: no frame counter without a compositing manager";

    // Once shown, the widget's own paints reach the window again.
    drawPicture(reel.surface(), 9);
    reel.update();
    QTRY_COMPARE(watch->pixels(reelArea()), surfacePixels(reel.surface()));
}

// Two stops within one frame: the server skips the first picture, which is then painted the plain
// way, while the second is still awaited (here its completion is lost). Until that one is shown,
// the widget's paints stay off the screen, which must not show a picture before its stop's time.
TEST_F(X11Presenter, whileANewerPictureIsAwaitedTheWidgetsPaintsAreHeldBack)
{
    ASSERT_TRUE(presenter->usesPresent());
    LostEvents lost;
    lost.shownPicturesOfPresent = watch->presentOpcode();
    qGuiApp->installNativeEventFilter(&lost);
    bool seen = false;
    std::optional<int> paintsMeanwhile;
    // A frame's blank may fall between the two requests, which then are both shown; rarely twice.
    for (int attempt = 0; attempt < 3 && !seen; ++attempt) {
        watch->poll();
        const auto completionsBefore = static_cast<std::ptrdiff_t>(watch->completions.size());
        bool firstSettled = false;
        bool secondSettled = false;
        bool updatedMeanwhile = false;
        paintsMeanwhile.reset();
        drawPicture(reel.surface(), 1);
        presenter->present([&](std::int64_t) {
            firstSettled = true;
            if (!secondSettled) {
                reel.update();
                updatedMeanwhile = true;
            }
        });
        drawPicture(reel.surface(), 2);
        int paintsBefore = 0;
        presenter->present([&](std::int64_t) {
            secondSettled = true;
            paintsMeanwhile = reel.paints - paintsBefore;
        });
        paintsBefore = reel.paints;
        QTRY_VERIFY_WITH_TIMEOUT(firstSettled && secondSettled, 3 * X11ScreenPresenter::kStampTimeoutMs);
        watch->poll();
        const bool skipped = std::any_of(watch->completions.begin() + completionsBefore, watch->completions.end(),
                                         [](const auto& c) { return c.mode == XCB_PRESENT_COMPLETE_MODE_SKIP; });
        seen = skipped && updatedMeanwhile;
    }
    qGuiApp->removeNativeEventFilter(&lost);
    ASSERT_TRUE(seen) << "the server skipped no picture";
    EXPECT_EQ(paintsMeanwhile, 2) << "the plain paints of the two pictures alone";
    QTRY_COMPARE(watch->pixels(reelArea()), surfacePixels(reel.surface()));
}

// Under a compositing manager the completion is when the picture reached the window's pixmap:
// it is still the stop's time, and such stops are counted.
TEST_F(X11Presenter, aStopUnderACompositingManagerIsCountedAsSuch)
{
    if (watch->ownedByAnother("_NET_WM_CM_S0"))
        GTEST_SKIP() << "a compositing manager runs: this test stands in for one";
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

std::uint32_t low32(std::uint64_t value) { return static_cast<std::uint32_t>(value); }
std::uint32_t high32(std::uint64_t value) { return static_cast<std::uint32_t>(value >> 32); }

// A compositing manager (this test stands in for one) that reports its frames: once it is seen,
// the window gets a second, extended frame counter at the next stop; every later picture is presented inside a
// frame of it, which ends (an even value) once the picture is in the window. The stop's time is
// the presentation the compositor then reports for that value, where it can be one; otherwise
// the completion, counted as under a compositor, at once where the report says it does not know
// and after the report's timeout where none comes. The frame is always ended: the compositor
// never waits on the window.
TEST_F(X11Presenter, underACompositorThatReportsItsFramesTheStopIsThePresentationItReports)
{
    if (watch->ownedByAnother("_NET_WM_CM_S0"))
        GTEST_SKIP() << "a compositing manager runs and reports frames of its own: this test stands in for one";
    ASSERT_TRUE(presenter->usesPresent());
    watch->ownSelection("_NET_WM_CM_S0");
    QtMessages::kept.clear();
    const QtMessages messages;
    std::optional<X11ScreenPresenter::Outcome> outcome;
    presenter->setObserver([&](const X11ScreenPresenter::Outcome& o) { outcome = o; });
    // The first stop shows the compositor, the second gives the window its counter.
    for (int stop = 0; stop < 2; ++stop) {
        outcome.reset();
        presenter->present({});
        QTRY_VERIFY_WITH_TIMEOUT(outcome.has_value(), 3 * X11ScreenPresenter::kStampTimeoutMs);
        EXPECT_EQ(outcome->source, X11ScreenPresenter::Source::Completion);
    }
    const std::vector<std::uint32_t> counters = watch->counters();
    ASSERT_EQ(counters.size(), 2u);
    ASSERT_EQ(watch->counterValue(counters[1]), 0u);

    struct Case {
        const char* what;
        std::int64_t counterStep;  // from the value that ended the frame
        std::int64_t drawnAfterCompletionUs;
        std::int32_t offsetUs;
        bool reportCounts;
        bool waitsForTimeout;
    };
    const Case cases[] = {
        {"drawn 2 ms after the completion, presented 1.5 ms after that", 0, 2000, 1500, true, false},
        {"presented before it was drawn, after the completion", 0, 3000, -2000, true, false},
        {"no presentation time", 0, 2000, 0, false, false},
        {"the other value for no presentation time", 0, 2000, INT32_MIN, false, false},
        {"presented before the picture was in the window", 0, 2000, -2001, false, false},
        {"of a counter value the window never had", 2, 2000, 1500, false, true},
        {"of the value that began the frame", -1, 2000, 1500, false, true},
    };
    std::uint64_t value = 0;
    int fallbacks = presenter->tally().composited;
    int presentations = 0;
    for (const Case& c : cases) {
        const std::size_t completions = (watch->poll(), watch->completions.size());
        outcome.reset();
        QElapsedTimer sincePresent;
        sincePresent.start();
        presenter->present({});
        QTRY_VERIFY((watch->poll(), watch->completions.size() > completions));
        QTRY_COMPARE(watch->counterValue(counters[1]), value + 2);
        value += 2;
        const auto ust = static_cast<std::int64_t>(watch->completions.back().ust);
        const std::int64_t drawnAt = ust + c.drawnAfterCompletionUs;
        // Never reported before it happened.
        QTRY_VERIFY(clock.nowMicroseconds() > drawnAt + 2000);
        const std::uint64_t reported = value + c.counterStep;
        watch->send("_NET_WM_FRAME_DRAWN", {low32(reported), high32(reported), low32(std::uint64_t(drawnAt)),
                                            high32(std::uint64_t(drawnAt)), 0});
        watch->send("_NET_WM_FRAME_TIMINGS",
                    {low32(reported), high32(reported), static_cast<std::uint32_t>(c.offsetUs), 16667, 2000});
        QTRY_VERIFY_WITH_TIMEOUT(outcome.has_value(), 3 * X11ScreenPresenter::kFrameTimingsTimeoutMs);
        EXPECT_EQ(outcome->completedAtUs, ust) << c.what;
        EXPECT_TRUE(outcome->composited) << c.what;
        if (c.reportCounts) {
            EXPECT_EQ(outcome->source, X11ScreenPresenter::Source::Presentation) << c.what;
            EXPECT_EQ(outcome->shownAtUs, drawnAt + c.offsetUs) << c.what;
            ++presentations;
        } else {
            EXPECT_EQ(outcome->source, X11ScreenPresenter::Source::Completion) << c.what;
            EXPECT_EQ(outcome->shownAtUs, ust) << c.what;
            ++fallbacks;
        }
        if (c.waitsForTimeout)
            EXPECT_GE(sincePresent.elapsed(), X11ScreenPresenter::kFrameTimingsTimeoutMs * 95 / 100) << c.what;
        else
            EXPECT_LT(sincePresent.elapsed(), X11ScreenPresenter::kFrameTimingsTimeoutMs / 2) << c.what;
        EXPECT_EQ(watch->counterValue(counters[1]), value) << "left even: " << c.what;
    }
    EXPECT_EQ(presenter->tally().presentations, presentations);
    EXPECT_EQ(presenter->tally().composited, fallbacks);
    // The frame reports are the presenter's: Qt, which has no use for them, never sees one.
    for (const QString& message : QtMessages::kept)
        EXPECT_FALSE(message.contains(QStringLiteral("client message"))) << message.toStdString();

    // A window manager's request to sync the extended counter is answered on it; one that is
    // no window manager's (far ahead) is not.
    watch->send("WM_PROTOCOLS", {watch->atom("_NET_WM_SYNC_REQUEST"), 0, low32(value + 240), high32(value + 240), 1});
    QTRY_COMPARE(watch->counterValue(counters[1]), value + 240);
    watch->send("WM_PROTOCOLS", {watch->atom("_NET_WM_SYNC_REQUEST"), 0, low32(value + 240 + 3), high32(value), 1});
    // An odd request is answered with the even value after it.
    QTRY_COMPARE(watch->counterValue(counters[1]), value + 240 + 4);
    const std::uint64_t beyond = value + 244 + (std::uint64_t{1} << 20);
    watch->send("WM_PROTOCOLS", {watch->atom("_NET_WM_SYNC_REQUEST"), 0, low32(beyond), high32(beyond), 1});
    // Requests are answered in order and never backwards: had that one been taken, this one
    // could not be.
    watch->send("WM_PROTOCOLS", {watch->atom("_NET_WM_SYNC_REQUEST"), 0, low32(value + 246), high32(value + 246), 1});
    QTRY_COMPARE(watch->counterValue(counters[1]), value + 246);

    // A presenter that goes while its frame is open ends the frame: a compositor would
    // otherwise never draw the window again.
    presenter->present({});
    presenter.reset();
    QTRY_COMPARE(watch->counterValue(counters[1]), value + 248);
}

// Under a real compositing manager that reports its frames (mutter), once the compositor shows
// the window, every stop is settled by the compositor's report, well before the report's
// timeout: where the report has a presentation time (an X11 session on real hardware) it is the
// stop's time, a few frames after the completion at most; where it has none (mutter on Xvfb)
// the completion is, counted as such. Skipped where no compositing manager runs; to run it:
//     Xvfb :63 & DISPLAY=:63 dbus-run-session mutter --x11 --replace --sm-disable &
//     QT_QPA_PLATFORM=xcb DISPLAY=:63 build/tests/shell_tests --gtest_filter='X11Presenter.underMutter*'
TEST_F(X11Presenter, underMutterEveryStopIsSettledByTheCompositorsReport)
{
    if (!watch->ownedByAnother("_NET_WM_CM_S0"))
        GTEST_SKIP() << "no compositing manager runs";
    std::optional<X11ScreenPresenter::Outcome> outcome;
    presenter->setObserver([&](const X11ScreenPresenter::Outcome& o) { outcome = o; });
    const auto stop = [&](int picture) {
        drawPicture(reel.surface(), picture);
        outcome.reset();
        presenter->present({});
    };
    // Until a stop's picture reaches the window in time: a window that new may not be shown yet,
    // and the first stop under the compositor gives the window its counter.
    for (int picture = 0; picture < 20 && !(outcome && outcome->completedAtUs && outcome->composited); ++picture) {
        stop(picture);
        QTRY_VERIFY_WITH_TIMEOUT(outcome.has_value(), 3 * X11ScreenPresenter::kStampTimeoutMs);
    }
    ASSERT_TRUE(outcome->completedAtUs.has_value());
    const X11ScreenPresenter::Tally before = presenter->tally();
    constexpr int kStops = 5;
    for (int picture = 0; picture < kStops; ++picture) {
        QElapsedTimer sincePresent;
        sincePresent.start();
        stop(picture);
        QTRY_VERIFY_WITH_TIMEOUT(outcome.has_value(), 3 * X11ScreenPresenter::kStampTimeoutMs);
        EXPECT_LT(sincePresent.elapsed(), X11ScreenPresenter::kFrameTimingsTimeoutMs) << "stop " << picture;
        EXPECT_TRUE(outcome->composited) << "stop " << picture;
        ASSERT_TRUE(outcome->completedAtUs.has_value()) << "stop " << picture;
        if (outcome->source == X11ScreenPresenter::Source::Presentation) {
            EXPECT_GE(outcome->shownAtUs, *outcome->completedAtUs) << "stop " << picture;
            EXPECT_LT(outcome->shownAtUs, *outcome->completedAtUs + 4 * kFrameUs) << "stop " << picture;
        } else {
            EXPECT_EQ(outcome->source, X11ScreenPresenter::Source::Completion) << "stop " << picture;
        }
    }
    const X11ScreenPresenter::Tally& after = presenter->tally();
    EXPECT_EQ(after.presentations - before.presentations + after.composited - before.composited, kStops);
    std::printf("under the compositing manager: %d presentation times, %d completions\n",
                after.presentations - before.presentations, after.composited - before.composited);
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
