#pragma once

#include "game/CuePlayer.h"
#include "game/EndOfGame.h"
#include "game/GameState.h"
#include "game/GameTally.h"
#include "game/GameView.h"
#include "game/KeyJudge.h"
#include "game/RecordStore.h"
#include "game/Reel.h"
#include "game/ScoreLoader.h"
#include "platform/Clock.h"
#include "platform/RandomSource.h"
#include "platform/Surface.h"

#include <string>

// The game engine: its state, the start command, the reel tick and key judging. The window that
// owns it runs reelTick() while reelRunning(), one tick every tickDelayMs().
class Game {
public:
    struct Surfaces {
        Surface& picMain;
        const Surface& picABC;
        const Surface& picMask;
    };

    Game(GameView& view, CuePlayer& sounds, const Clock& clock, RandomSource& random,
         const RecordStore& record, Surfaces surfaces);

    // Start-up after the window is shown: opens the sound devices on the files in
    // `dataDirectory` and reads the record.
    void startUp(const std::string& dataDirectory);
    // Every game played to its tenth right key goes to `history` from now on; nullptr: nowhere.
    void recordInto(GameHistory* history) { tally_.recordInto(history); }
    // The start button: a fresh game, the reel going on from where it stands.
    void start();
    // A key that went down at `pressedAtUs` on the game's clock.
    void KeyClick(int keyCode, std::int64_t pressedAtUs);
    // A key that goes down now.
    void KeyClick(int keyCode);
    // The display server's own stamp of the stop picture presented as not shown yet.
    void stopShown(std::int64_t shownAtUs);
    // One reel tick: draw, perhaps slow down or stop, step the rotation sound.
    void reelTick();

    bool reelRunning() const { return state_.reelRunning(); }
    int tickDelayMs() const { return state_.intWait; }
    const GameState& state() const { return state_; }

private:
    GameState state_;
    GameView& view_;
    const Clock& clock_;
    CuePlayer& sounds_;
    Reel reel_;
    ScoreLoader loader_;
    EndOfGame end_;
    GameTally tally_;
    KeyJudge judge_;
};
