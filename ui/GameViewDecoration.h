#pragma once

#include "game/GameView.h"

#include <memory>

// A view to put between the game and `view`, or nothing. The program as played and shipped
// adds nothing; a test-only variant of the build links a decorator that watches what the game
// writes.
std::unique_ptr<GameView> decorateGameView(GameView& view);
