#pragma once

#include "platform/Clock.h"
#include "platform/ScreenPresenter.h"

class QWidget;

// Where the display server cannot be asked for its own stamp (Wayland, offscreen): the widget
// is painted and flushed to the window system, and the moment is the clock after that.
class FlushScreenPresenter final : public ScreenPresenter {
public:
    FlushScreenPresenter(QWidget& widget, const Clock& clock) : widget_(widget), clock_(clock) {}

    std::optional<std::int64_t> present(Stamped stamped) override;

private:
    QWidget& widget_;
    const Clock& clock_;
};
