#pragma once

#include "game/Game.h"
#include "game/TickSchedule.h"
#include "platform/Clock.h"
#include "platform/ModalState.h"
#include "platform/OneShotTimer.h"
#include "platform/ScreenPresenter.h"

#include <cstdint>

// Drives the reel: runs a reel tick whenever the timer fires and re-arms it with the game's
// tick delay, holds the reel still while a modal box is open, and puts a stop on screen and
// hands the game the moment the display server had it.
class ReelDriver {
public:
    ReelDriver(Game& game, const Clock& clock, OneShotTimer& timer, ScreenPresenter& presenter,
               const ModalState& modal);

    // After a start or a key: the reel runs on the next pass of the event loop if it should.
    void arm();
    // A modal box opened or closed.
    void modalChanged();
    // The stopped reel has been drawn: shows it; returns the stop's moment for the game.
    std::int64_t presentStop();

private:
    void runTick();

    Game& game_;
    const Clock& clock_;
    OneShotTimer& timer_;
    ScreenPresenter& presenter_;
    const ModalState& modal_;
    TickSchedule schedule_;
    unsigned presentation_ = 0;
};
