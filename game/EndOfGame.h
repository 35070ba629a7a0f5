#pragma once

#include "game/GameState.h"
#include "game/ScoreLoader.h"
#include "game/GameView.h"
#include "sound/SoundCues.h"

// Closes a game: compares its score with the record on file and tells the player.
class EndOfGame {
public:
    EndOfGame(GameState& state, GameView& view, SoundCues& sounds, ScoreLoader& loader);

    void EndGame();

private:
    GameState& state_;
    GameView& view_;
    SoundCues& sounds_;
    ScoreLoader& loader_;
};
