#pragma once

#include "platform/Clock.h"
#include "platform/FrameFeedback.h"
#include "platform/ScreenPresenter.h"

#include <QTimer>

#include <cstdint>
#include <deque>
#include <memory>

class QWidget;

// On Wayland the moment of a picture is when the compositor presented the frame that carries
// it, as its presentation feedback tells; where the compositor drops the frame or does not
// answer in time, the moment the picture was flushed to it stands in.
class WaylandScreenPresenter final : public ScreenPresenter {
public:
    // How long an answer may take before the moment of the flush stands in for it.
    static constexpr int kStampTimeoutMs = 1000;
    // How often answers are looked for while one is awaited.
    static constexpr int kCollectIntervalMs = 2;

    // Nothing where the program does not run on Wayland or the compositor gives no feedback.
    static std::unique_ptr<WaylandScreenPresenter> createFor(QWidget& widget, const Clock& clock);
    WaylandScreenPresenter(QWidget& widget, const Clock& clock, std::unique_ptr<FrameFeedback> feedback);

    std::optional<std::int64_t> present(Stamped stamped) override;

private:
    struct Pending {
        std::uint64_t id;
        Stamped stamped;
        std::int64_t drawnAtUs;
        std::int64_t flushedAtUs;
    };
    void answer(std::uint64_t id, std::optional<std::int64_t> presentedAtUs);
    void settleOverdue();
    void collectWhileAwaited();

    QWidget& widget_;
    const Clock& clock_;
    std::unique_ptr<FrameFeedback> feedback_;
    std::deque<Pending> pending_;
    std::uint64_t nextId_ = 0;
    QTimer collect_;
    QTimer timeout_;
};
