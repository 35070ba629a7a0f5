#include "platform/ScreenPresenterChoice.h"

#include "platform/FlushScreenPresenter.h"
#include "platform/WaylandScreenPresenter.h"
#include "platform/X11ScreenPresenter.h"

std::unique_ptr<ScreenPresenter> createScreenPresenter(QWidget& widget, EventClock& eventClock,
                                                       const Clock& clock)
{
    if (auto x11 = X11ScreenPresenter::createFor(widget, eventClock))
        return x11;
    if (auto wayland = WaylandScreenPresenter::createFor(widget, clock))
        return wayland;
    return std::make_unique<FlushScreenPresenter>(widget, clock);
}
