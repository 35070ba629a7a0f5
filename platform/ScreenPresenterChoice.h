#pragma once

#include "platform/Clock.h"
#include "platform/EventClock.h"
#include "platform/ScreenPresenter.h"

#include <memory>

class QWidget;

// The presenter for the platform the game runs on: on X11 the server stamps the stop picture
// itself; on Wayland the compositor tells when it presented the frame; elsewhere (a compositor
// without presentation feedback, offscreen) the moment of the flush.
std::unique_ptr<ScreenPresenter> createScreenPresenter(QWidget& widget, EventClock& eventClock,
                                                       const Clock& clock);
