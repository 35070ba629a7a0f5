#pragma once

#include "game/GameState.h"
#include "game/GameView.h"
#include "game/RecordStore.h"

// Reads the best score from the record into strBestScore. A missing record means none has been
// set; a damaged one is reported and counts as none, and the file is left for the player to
// replace through the best-score window.
class ScoreLoader {
public:
    ScoreLoader(GameState& state, const RecordStore& store, GameView& view);

    void LoadBestScore();

private:
    GameState& state_;
    const RecordStore& store_;
    GameView& view_;
};
