#pragma once

#include "game/EndOfGame.h"
#include "game/GameState.h"
#include "platform/Clock.h"
#include "platform/GameView.h"
#include "sound/SoundCues.h"

#include <string>

// Judges every key press of the main window against the letter the reel stopped on.
class KeyJudge {
public:
    KeyJudge(GameState& state, GameView& view, SoundCues& sounds, const Clock& clock, EndOfGame& end);

    void KeyClick(int keyCode);

    // "A" to "Z" for the key codes 65 to 90, empty for every other key.
    static std::string letterForKey(int keyCode);

private:
    GameState& state_;
    GameView& view_;
    SoundCues& sounds_;
    const Clock& clock_;
    EndOfGame& end_;
};
