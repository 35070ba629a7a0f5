#pragma once

#include "game/CuePlayer.h"
#include "platform/MediaDevice.h"

#include <string>

// The four media devices and the named cues that stop, rewind and start them.
class SoundCues final : public CuePlayer {
public:
    SoundCues(MediaDevice& mciStart, MediaDevice& mciKaiten, MediaDevice& mciBGM, MediaDevice& mciGoal);

    // Names all four files, then opens the devices.
    void open(const std::string& dataDirectory) override;
    void PlaySound(const std::string& cue) override;
    void restartRotation() override;
    void close();

private:
    MediaDevice& mciStart_;
    MediaDevice& mciKaiten_;
    MediaDevice& mciBGM_;
    MediaDevice& mciGoal_;
};
