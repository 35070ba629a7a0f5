#include "ui/ReelDriver.h"

ReelDriver::ReelDriver(Game& game, const Clock& clock, OneShotTimer& timer, ScreenPresenter& presenter,
                       const ModalState& modal)
    : game_(game), clock_(clock), timer_(timer), presenter_(presenter), modal_(modal)
{
    timer_.setTimeoutHandler([this] { runTick(); });
}

void ReelDriver::arm()
{
    // A tick already due keeps its time.
    if (!modal_.modalOpen() && game_.reelRunning() && !timer_.isActive()) {
        schedule_.restart(clock_.nowMicroseconds());
        timer_.startIn(0);
    }
}

void ReelDriver::modalChanged()
{
    // No stop may come while the player cannot press a key.
    if (modal_.modalOpen())
        timer_.stop();
    else
        arm();
}

void ReelDriver::runTick()
{
    if (modal_.modalOpen())
        return;
    const std::int64_t start = clock_.nowMicroseconds();
    game_.reelTick();
    if (game_.reelRunning() && !modal_.modalOpen())
        timer_.startIn(schedule_.microsecondsToNext(start, clock_.nowMicroseconds(), game_.tickDelayMs()));
}

std::int64_t ReelDriver::presentStop()
{
    const unsigned presentation = ++presentation_;
    const auto shown = presenter_.present([this, presentation](std::int64_t shownAtUs) {
        if (presentation == presentation_)
            game_.stopShown(shownAtUs);
    });
    return shown.value_or(GameState::kNotShownYet);
}
