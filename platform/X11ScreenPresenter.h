#pragma once

#include "platform/CompositorFrameTimes.h"
#include "platform/EventClock.h"
#include "platform/PaintHold.h"
#include "platform/ScreenPresenter.h"

#include <QAbstractNativeEventFilter>
#include <QTimer>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>

class QWidget;
class X11FrameCounter;
struct xcb_client_message_event_t;
struct xcb_connection_t;

// On X11 a stop picture reaches the screen at a vertical blank. Where the server has the Present
// extension, the picture goes to the window through PresentPixmap, Qt's own paints of the widget
// are held back until then, and the stop's time is the completion's `ust`: the vertical blank at
// which the server copied it into the window. Right before the picture is presented a zero-length
// change of a property of the window goes out, and the server's stamp of that change (on the
// clock that also stamps the key events) is the moment the server had the picture: a completion
// before it is not believed. Without Present, or without a completion in time, the widget is
// painted as Qt paints it and that stamp is the stop's time; without the stamp, the moment of
// the flush.
// Under a compositing manager the completion is when the picture reached the window's pixmap.
// Where the compositor takes part in extended frame synchronization (mutter), the fixed-size
// window gets a frame counter, the picture is presented inside a frame of it, and the stop's time
// is the presentation time the compositor reports for that frame; where that report does not
// come in time or carries no believable time, the completion stands and is counted as such.
class X11ScreenPresenter final : public ScreenPresenter, public QAbstractNativeEventFilter {
public:
    // How long a completion may take before the picture is painted the plain way.
    static constexpr int kCompletionTimeoutMs = 100;
    // How long a stamp may take before the moment of the flush stands in for it.
    static constexpr int kStampTimeoutMs = 1000;
    // How long after the completion the compositor's report of the frame may take.
    static constexpr int kFrameTimingsTimeoutMs = CompositorFrameTimes::kMaxDelayUs / 1000;

    enum class Source { Presentation, Completion, ServerStamp, Flush };
    // What one stop's time came from, for the benchmark.
    struct Outcome {
        Source source;
        std::int64_t shownAtUs;
        std::optional<std::int64_t> serverHadItAtUs;  // the property's stamp
        std::optional<std::int64_t> completedAtUs;    // the completion's ust, where believed
        bool composited;  // a compositing manager ran: the completion is its window pixmap's
    };
    // Stops counted by where their time came from.
    struct Tally {
        int presentations = 0;  // the compositor's presentation time
        int completions = 0;
        int serverStampFallbacks = 0;
        int flushFallbacks = 0;
        int composited = 0;  // of the completions, those under a compositing manager: a fallback
    };

    // Never: as on a server without Present (the X servers at hand cannot turn it off).
    enum class PresentUse { WhereOffered, Never };

    // Nothing where the program does not run on X11.
    static std::unique_ptr<X11ScreenPresenter> createFor(QWidget& widget, EventClock& times,
                                                         PresentUse use = PresentUse::WhereOffered);
    ~X11ScreenPresenter() override;

    std::optional<std::int64_t> present(Stamped stamped) override;
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

    bool usesPresent() const { return presentOpcode_ != 0; }
    const Tally& tally() const { return tally_; }
    void setObserver(std::function<void(const Outcome&)> observer) { observer_ = std::move(observer); }

private:
    struct Atoms {
        std::uint32_t stamp;
        std::uint32_t compositor;
        std::uint32_t counters;  // _NET_WM_SYNC_REQUEST_COUNTER
        std::uint32_t frameDrawn;
        std::uint32_t frameTimings;
        std::uint32_t protocols;  // WM_PROTOCOLS
        std::uint32_t syncRequest;
    };
    X11ScreenPresenter(QWidget& widget, EventClock& times, xcb_connection_t* connection, Atoms atoms,
                       std::uint8_t presentOpcode, bool frameCounters);

    struct Pending {
        std::uint32_t id;
        Stamped stamped;
        std::int64_t drawnAtUs;
        std::int64_t flushedAtUs;
        std::int64_t deadlineUs;
        bool throughPresent;  // awaiting its completion
        bool stampAnswered;
        std::optional<std::int64_t> serverHadItAtUs;
        std::optional<std::uint64_t> ustUs;
        unsigned compositorQuery;  // sequence of the request for the compositor's selection owner
        std::optional<bool> composited;
        unsigned countersQuery;  // sequence of the request for the window's frame counters
        bool inFrame;            // presented inside a frame of the counter, not yet ended
        bool awaitingTimings;
        std::optional<std::int64_t> presentedAtUs;
    };
    bool presentPicture(Pending& pending);
    void sendStamp(std::uint32_t id);
    void paintThePlainWay(Pending& pending);
    void stampAnswered(std::int64_t stampMs);
    void completed(std::uint32_t serial, std::uint8_t mode, std::uint64_t ustUs);
    void settleIfAnswered(std::uint32_t id);
    void settle(std::uint32_t id, Source source, std::int64_t shownAtUs);
    bool compositedAt(Pending& pending);
    void endFrame(Pending& pending);
    void abandonFrame(Pending& pending);
    void installCounter(Pending& pending);
    void discardCountersQuery(Pending& pending);
    // Whether the message is the compositor's report of a frame, which only this reads.
    bool clientMessage(const xcb_client_message_event_t& message);
    void timingsCame(const CompositorFrameTimes::Verdict& verdict);
    void settleOverdue();
    void armTimeout();
    void releaseHoldUnlessAwaited();
    Pending* find(std::uint32_t id);

    QWidget& widget_;
    EventClock& times_;
    xcb_connection_t* connection_;
    Atoms atoms_;
    std::uint8_t presentOpcode_;
    bool frameCounters_;  // the server has Sync
    bool compositorSeen_ = false;
    std::unique_ptr<X11FrameCounter> counter_;
    CompositorFrameTimes frames_;
    std::uint32_t presentEvents_ = 0;
    std::uint32_t presentWindow_ = 0;
    std::uint32_t nextId_ = 1;
    std::deque<Pending> pending_;
    // The stop each property change sent belongs to; the server answers them in order.
    std::deque<std::uint32_t> stamps_;
    PaintHold hold_;
    QTimer timeout_;
    Tally tally_;
    std::function<void(const Outcome&)> observer_;
};
