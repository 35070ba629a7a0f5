#include "platform/WaylandScreenPresenter.h"

#include "fakes/FakeClock.h"
#include "platform/ScreenPresenterChoice.h"
#include "platform/SteadyClock.h"
#include "platform/WaylandFrameFeedback.h"

#include <QGuiApplication>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include <iostream>
#include <utility>
#include <optional>

namespace {

constexpr std::int64_t kPaintUs = 3'000;

// Counts its paints; where it has a fake clock, moves it on in each as painting takes time.
class PaintCount final : public QWidget {
public:
    explicit PaintCount(FakeClock* clock = nullptr) : clock_(clock) { resize(60, 30); }
    int paints = 0;

protected:
    void paintEvent(QPaintEvent*) override
    {
        ++paints;
        if (clock_)
            clock_->advanceMicroseconds(kPaintUs);
    }

private:
    FakeClock* clock_;
};

// A compositor that answers each request with what the test scripted, on the next collect.
class ScriptedFeedback final : public FrameFeedback {
public:
    ScriptedFeedback(const PaintCount& widget, FakeClock& clock) : widget_(widget), clock_(clock) {}

    bool surfaceExists = true;
    std::optional<std::optional<std::int64_t>> scriptedAnswer;  // unset: the compositor stays silent
    std::int64_t answeredAtUs = 0;
    int paintsWhenAsked = -1;
    int sends = 0;

    bool requestForNextPicture(QWindow&, Answer answer) override
    {
        if (!surfaceExists)
            return false;
        paintsWhenAsked = widget_.paints;
        answer_ = std::move(answer);
        return true;
    }
    void send() override { ++sends; }
    void collect() override
    {
        if (answer_ && scriptedAnswer) {
            clock_.setMicroseconds(answeredAtUs);
            std::exchange(answer_, nullptr)(*scriptedAnswer);
        }
    }

private:
    const PaintCount& widget_;
    FakeClock& clock_;
    Answer answer_;
};

struct AnswerCase {
    const char* what;
    std::optional<std::optional<std::int64_t>> answerAfterDrawingUs;  // relative to the drawing
    std::int64_t answeredAfterDrawingUs;
    bool stampIsThePresentation;
};

TEST(WaylandScreenPresenter, takesThePresentedMomentAndTheFlushWhereThereIsNone)
{
    const AnswerCase cases[] = {
        {"presented after the flush", std::optional<std::int64_t>(kPaintUs + 5'000), kPaintUs + 9'000, true},
        {"presented as the flush ended", std::optional<std::int64_t>(kPaintUs), kPaintUs, true},
        {"discarded", std::optional<std::int64_t>(), kPaintUs + 9'000, false},
        {"before the picture was drawn: another clock", std::optional<std::int64_t>(-1), kPaintUs + 9'000, false},
        {"after the answer came: another clock", std::optional<std::int64_t>(kPaintUs + 9'001), kPaintUs + 9'000,
         false},
        {"no answer at all", std::nullopt, 0, false},
    };
    for (const AnswerCase& c : cases) {
        SCOPED_TRACE(c.what);
        FakeClock clock;
        PaintCount widget(&clock);
        widget.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
        QTRY_VERIFY(widget.paints > 0);
        QCoreApplication::processEvents();
        auto owned = std::make_unique<ScriptedFeedback>(widget, clock);
        ScriptedFeedback& feedback = *owned;
        WaylandScreenPresenter presenter(widget, clock, std::move(owned));
        const std::int64_t drawnAt = clock.nowMicroseconds();
        feedback.answeredAtUs = drawnAt + c.answeredAfterDrawingUs;
        if (c.answerAfterDrawingUs)
            feedback.scriptedAnswer = *c.answerAfterDrawingUs ? std::optional<std::int64_t>(drawnAt + **c.answerAfterDrawingUs)
                                                             : std::nullopt;
        const int paints = widget.paints;
        std::optional<std::int64_t> stamped;
        int stamps = 0;
        EXPECT_FALSE(presenter.present([&](std::int64_t at) { stamped = at, ++stamps; }).has_value());
        EXPECT_EQ(feedback.paintsWhenAsked, paints) << "asked before the commit that carries the picture";
        EXPECT_EQ(widget.paints, paints + 1);
        EXPECT_EQ(feedback.sends, 1);
        QTRY_VERIFY_WITH_TIMEOUT(stamped.has_value(), WaylandScreenPresenter::kStampTimeoutMs * 3);
        if (c.stampIsThePresentation)
            EXPECT_EQ(*stamped, drawnAt + **c.answerAfterDrawingUs);
        else
            EXPECT_EQ(*stamped, drawnAt + kPaintUs) << "the flush's moment, taken as repaint() returned";
        feedback.scriptedAnswer = std::optional<std::int64_t>(drawnAt + kPaintUs);
        feedback.answeredAtUs = drawnAt + 2 * WaylandScreenPresenter::kStampTimeoutMs * 1000;
        feedback.collect();
        EXPECT_EQ(stamps, 1) << "a late answer does not stamp again";
    }
}

TEST(WaylandScreenPresenter, showsAtOnceAndReportsTheFlushWhereTheWindowHasNoSurface)
{
    FakeClock clock;
    PaintCount widget(&clock);
    widget.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
    auto owned = std::make_unique<ScriptedFeedback>(widget, clock);
    owned->surfaceExists = false;
    WaylandScreenPresenter presenter(widget, clock, std::move(owned));
    const std::int64_t drawnAt = clock.nowMicroseconds();
    bool stampedLater = false;
    const std::optional<std::int64_t> shownAt = presenter.present([&](std::int64_t) { stampedLater = true; });
    ASSERT_TRUE(shownAt.has_value());
    EXPECT_EQ(*shownAt, drawnAt + kPaintUs);
    EXPECT_FALSE(stampedLater);
}

// Runs against a real compositor: tests/e2e/wayland-presenter.sh starts weston for it. A second,
// independent listener asks about the same commits and hears the compositor's own moment.
TEST(WaylandScreenPresenter, eachPictureIsStampedWithTheMomentTheCompositorPresentedIt)
{
    if (QGuiApplication::platformName() != QStringLiteral("wayland"))
        GTEST_SKIP() << "needs a Wayland compositor";
    const SteadyClock clock;
    PaintCount widget;
    widget.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
    const auto presenter = WaylandScreenPresenter::createFor(widget, clock);
    ASSERT_NE(presenter, nullptr) << "the compositor offers presentation feedback";
    const auto listener = WaylandFrameFeedback::create(clock);
    ASSERT_NE(listener, nullptr);
    std::cout << "compositor clock id: " << listener->compositorClock() << "\n";
    {
        // The game's own choice on Wayland waits for the compositor instead of taking the flush.
        EventClock eventTimes(clock);
        std::optional<std::int64_t> chosenStamp;
        EXPECT_FALSE(createScreenPresenter(widget, eventTimes, clock)
                         ->present([&](std::int64_t at) { chosenStamp = at; })
                         .has_value());
    }

    for (int picture = 0; picture < 5; ++picture) {
        std::optional<std::optional<std::int64_t>> heard;
        ASSERT_TRUE(listener->requestForNextPicture(*widget.windowHandle(), [&](std::optional<std::int64_t> at) {
            heard = at;
        }));
        const int paints = widget.paints;
        std::optional<std::int64_t> stamped;
        EXPECT_FALSE(presenter->present([&](std::int64_t at) { stamped = at; }).has_value());
        const std::int64_t flushedAt = clock.nowMicroseconds();
        EXPECT_EQ(widget.paints, paints + 1);
        QTRY_VERIFY_WITH_TIMEOUT((listener->collect(), heard.has_value()) && stamped.has_value(),
                                 WaylandScreenPresenter::kStampTimeoutMs / 2);
        ASSERT_TRUE(heard->has_value()) << "the compositor presented the frame";
        // On the game's clock, whatever clock the compositor stamps with.
        EXPECT_GT(**heard, flushedAt);
        EXPECT_LE(**heard, clock.nowMicroseconds());
        std::cout << "presented " << (**heard - flushedAt) << " us after the flush\n";
        // Both offsets onto the game's clock are read at nearly the same moment.
        EXPECT_NEAR(static_cast<double>(*stamped), static_cast<double>(**heard), 50.0);
        EXPECT_GT(*stamped, flushedAt) << "the compositor shows the frame after it was sent";
    }
}

} // namespace
