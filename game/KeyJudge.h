#pragma once

#include "game/CuePlayer.h"
#include "game/EndOfGame.h"
#include "game/GameState.h"
#include "game/GameTally.h"
#include "game/GameView.h"

#include <cstdint>
#include <string>

// Judges every key press of the main window against the letter the reel stopped on.
class KeyJudge {
public:
    KeyJudge(GameState& state, GameView& view, CuePlayer& sounds, EndOfGame& end, GameTally& tally);

    // `pressedAtUs` is the moment the key went down, on the game's clock.
    void KeyClick(int keyCode, std::int64_t pressedAtUs);

    // "A" to "Z" for the key codes 65 to 90, empty for every other key.
    static std::string letterForKey(int keyCode);

private:
    GameState& state_;
    GameView& view_;
    CuePlayer& sounds_;
    EndOfGame& end_;
    GameTally& tally_;
};
