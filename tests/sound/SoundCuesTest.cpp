#include "sound/SoundCues.h"

#include "fakes/RecordingMediaDevice.h"

#include <gtest/gtest.h>

namespace {

using Log = std::vector<std::string>;

struct SoundCuesFixture : ::testing::Test {
    Log log;
    RecordingMediaDevice start{"start", log};
    RecordingMediaDevice kaiten{"kaiten", log};
    RecordingMediaDevice bgm{"bgm", log};
    RecordingMediaDevice goal{"goal", log};
    SoundCues cues{start, kaiten, bgm, goal};
};

TEST_F(SoundCuesFixture, openingNamesAllFourFilesBeforeTheFirstOpen)
{
    cues.open("/games/zumikko");
    EXPECT_EQ(log, (Log{"start file /games/zumikko/start.wav", "kaiten file /games/zumikko/kaiten.wav",
                        "bgm file /games/zumikko/bgm.mid", "goal file /games/zumikko/goal.mid", "start Open",
                        "kaiten Open", "bgm Open", "goal Open"}));
}

TEST_F(SoundCuesFixture, eachCueSendsItsCommandsInOrderAndTouchesNoOtherDevice)
{
    struct Case {
        const char* cue;
        Log expected;
    };
    const Case cases[] = {
        {"Start", {"start Stop", "start Prev", "start Play"}},
        {"BGM", {"goal Stop", "bgm Stop", "bgm Prev", "bgm Play"}},
        {"Goal", {"bgm Stop", "goal Stop", "goal Prev", "goal Play"}},
        {"start", {}},
        {"bgm", {}},
        {"GOAL", {}},
        {"", {}},
        {"Start ", {}},
    };
    for (const Case& c : cases) {
        log.clear();
        cues.PlaySound(c.cue);
        EXPECT_EQ(log, c.expected) << "cue '" << c.cue << "'";
    }
}

TEST_F(SoundCuesFixture, rotationRestartRewindsAndPlaysWithoutStopping)
{
    cues.restartRotation();
    EXPECT_EQ(log, (Log{"kaiten Prev", "kaiten Play"}));
}

TEST_F(SoundCuesFixture, closingClosesTheDevicesWithTheRotationFirst)
{
    cues.close();
    EXPECT_EQ(log, (Log{"kaiten Close", "start Close", "bgm Close", "goal Close"}));
}

} // namespace
