#pragma once

#include "platform/MediaDevice.h"

#include <string>

// The four media devices and the named cues that stop, rewind and start them.
class SoundCues {
public:
    SoundCues(MediaDevice& mciStart, MediaDevice& mciKaiten, MediaDevice& mciBGM, MediaDevice& mciGoal);

    // Names all four files, then opens the devices.
    void open(const std::string& dataDirectory);
    // "Start", "BGM" or "Goal", compared exactly; any other text plays nothing.
    void PlaySound(const std::string& cue);
    // Rewinds and plays the rotation sound; nothing stops it.
    void restartRotation();
    void close();

private:
    MediaDevice& mciStart_;
    MediaDevice& mciKaiten_;
    MediaDevice& mciBGM_;
    MediaDevice& mciGoal_;
};
