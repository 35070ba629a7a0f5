#include "platform/WaylandScreenPresenter.h"

#include "platform/WaylandFrameFeedback.h"

#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace {

constexpr std::size_t kMaxPending = 64;

} // namespace

std::unique_ptr<WaylandScreenPresenter> WaylandScreenPresenter::createFor(QWidget& widget, const Clock& clock)
{
    auto feedback = WaylandFrameFeedback::create(clock);
    if (!feedback)
        return nullptr;
    return std::make_unique<WaylandScreenPresenter>(widget, clock, std::move(feedback));
}

WaylandScreenPresenter::WaylandScreenPresenter(QWidget& widget, const Clock& clock,
                                               std::unique_ptr<FrameFeedback> feedback)
    : widget_(widget), clock_(clock), feedback_(std::move(feedback))
{
    collect_.setTimerType(Qt::PreciseTimer);
    collect_.setInterval(kCollectIntervalMs);
    QObject::connect(&collect_, &QTimer::timeout, [this] { collectWhileAwaited(); });
    timeout_.setSingleShot(true);
    QObject::connect(&timeout_, &QTimer::timeout, [this] { settleOverdue(); });
}

std::optional<std::int64_t> WaylandScreenPresenter::present(Stamped stamped)
{
    const std::int64_t drawnAt = clock_.nowMicroseconds();
    QWindow* window = widget_.window()->windowHandle();
    const std::uint64_t id = nextId_++;
    // Feedback belongs to the surface's next commit: asked for first, it rides on the commit
    // that repaint() makes with the picture.
    const bool asked = window && feedback_->requestForNextPicture(*window, [this, id](std::optional<std::int64_t> at) {
        answer(id, at);
    });
    widget_.repaint();
    feedback_->send();
    const std::int64_t flushedAt = clock_.nowMicroseconds();
    if (!asked)
        return flushedAt;
    while (pending_.size() >= kMaxPending)
        pending_.pop_front();
    pending_.push_back({id, std::move(stamped), drawnAt, flushedAt});
    timeout_.start(kStampTimeoutMs);
    collect_.start();
    return std::nullopt;
}

void WaylandScreenPresenter::answer(std::uint64_t id, std::optional<std::int64_t> presentedAtUs)
{
    const auto found = std::find_if(pending_.begin(), pending_.end(), [id](const Pending& p) { return p.id == id; });
    if (found == pending_.end())
        return;  // already stood in for by the flush
    Pending answered = std::move(*found);
    pending_.erase(found);
    // A frame presented before its picture was drawn, or in the future, is on a clock we do not know.
    const bool plausible =
        presentedAtUs && *presentedAtUs >= answered.drawnAtUs && *presentedAtUs <= clock_.nowMicroseconds();
    if (pending_.empty()) {
        collect_.stop();
        timeout_.stop();
    }
    if (answered.stamped)
        answered.stamped(plausible ? *presentedAtUs : answered.flushedAtUs);
}

void WaylandScreenPresenter::collectWhileAwaited()
{
    feedback_->collect();
    if (pending_.empty())
        collect_.stop();
}

void WaylandScreenPresenter::settleOverdue()
{
    collect_.stop();
    std::deque<Pending> overdue;
    overdue.swap(pending_);
    for (Pending& pending : overdue)
        if (pending.stamped)
            pending.stamped(pending.flushedAtUs);
}
