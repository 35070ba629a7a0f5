#pragma once

#include "game/GameState.h"
#include "game/GameView.h"
#include "platform/RandomSource.h"
#include "platform/Surface.h"

#include <string>

// The letter strip scrolling through the reel window: drawing, slowing down and stopping.
class Reel {
public:
    static constexpr int kStripPeriod = 832;  // 26 cells of 32 pixels
    static constexpr int kCellWidth = 32;
    static constexpr int kStep = 4;
    static constexpr int kFullSpeedWait = 5;

    Reel(GameState& state, Surface& picMain, const Surface& picABC, const Surface& picMask,
         RandomSource& random, GameView& view);

    // Draws the reel at intReelX and advances it by one step.
    void DrawReel();
    // Perhaps slows the reel down; on the ninth slow-down stops it on a letter.
    void CheckStop();

    // The letter that stands under the stop marker when the reel stops at this index.
    static std::string stopLetter(int index);

private:
    void drawAt(int x);

    GameState& state_;
    Surface& picMain_;
    const Surface& picABC_;
    const Surface& picMask_;
    RandomSource& random_;
    GameView& view_;
};
