#pragma once

#include "game/CuePlayer.h"
#include "game/GameState.h"
#include "game/GameView.h"
#include "game/ScoreLoader.h"

// Closes a game: compares its score with the record on file and tells the player.
class EndOfGame {
public:
    EndOfGame(GameState& state, GameView& view, CuePlayer& sounds, ScoreLoader& loader);

    void EndGame();

private:
    GameState& state_;
    GameView& view_;
    CuePlayer& sounds_;
    ScoreLoader& loader_;
};
