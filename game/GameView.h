#pragma once

#include "game/MainLabel.h"

#include <cstdint>
#include <optional>
#include <string>

// What the game's rules write to and ask of the windows.
class GameView {
public:
    virtual ~GameView() = default;

    virtual std::string caption(MainLabel label) const = 0;
    virtual void setCaption(MainLabel label, const std::string& text) = 0;

    // The reel window's surface has changed: show it soon.
    virtual void reelChanged() = 0;
    // Shows the reel window's surface on screen before returning, and returns the moment the
    // display server had it on the game's clock; GameState::kNotShownYet when the server stamps
    // that moment itself and the window hands it in later through Game::stopShown().
    virtual std::int64_t presentReelNow() = 0;

    // Modal: returns when the player has closed it.
    virtual void showScoreMessage(const std::string& text) = 0;
    // Opens the name-entry window (or brings an open one forward) with the score and caption.
    virtual void openChampionEntry(const std::string& score, const std::string& caption) = 0;
    // The score of a new record still waiting in its windows to be signed or stored, if any.
    virtual std::optional<std::string> waitingRecordScore() const = 0;
    // Tells the player about a problem the game has worked around; modal.
    virtual void reportProblem(const std::string& message) = 0;
};
