#pragma once

#include "game/Game.h"
#include "sound/SoundCues.h"

#include "fakes/FakeClock.h"
#include "fakes/FakeGameView.h"
#include "fakes/FakeRecordStore.h"
#include "fakes/RecordingMediaDevice.h"
#include "fakes/ScriptedRandom.h"

#include <gtest/gtest.h>

// A whole game engine on fakes, its record in memory.
struct GameFixture : ::testing::Test {
    GameFixture()
    {
        for (int y = 4; y < 32; ++y)
            for (int x = 0; x < 957; ++x)
                if (x % 32 >= 8 && x % 32 < 24)
                    strip.setPixel(x, y, 0xFF8040);
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 957; ++x)
                mask.setPixel(x, y, strip.pixel(x, y) == 0xFF8040 ? 0xFFFFFF : 0x000000);
    }

    // Runs reel ticks until the reel stops; the ninth hit stops it.
    void runToStop()
    {
        random.queueHits(9);
        for (int i = 0; i < 100 && game.reelRunning(); ++i)
            game.reelTick();
        ASSERT_TRUE(game.state().bolStop);
    }

    std::string target() const { return game.state().strTarget; }
    int keyFor(const std::string& letter) const { return letter.at(0); }
    int wrongKeyFor(const std::string& letter) const { return letter == "A" ? 'B' : 'A'; }
    std::string score() const { return view.caption(MainLabel::Score); }
    std::string misses() const { return view.caption(MainLabel::Miss); }

    std::vector<std::string> log;
    RecordingMediaDevice start{"start", log};
    RecordingMediaDevice kaiten{"kaiten", log};
    RecordingMediaDevice bgm{"bgm", log};
    RecordingMediaDevice goal{"goal", log};
    SoundCues sounds{start, kaiten, bgm, goal};
    FakeClock clock;
    FakeGameView view{clock};
    ScriptedRandom random;
    FakeRecordStore store;
    Surface strip{957, 32, 0xFFFFFF};
    Surface mask{957, 32};
    Surface window{137, 33, 0xFFFFFF};
    Game game{view, sounds, clock, random, store, {window, strip, mask}};
};
