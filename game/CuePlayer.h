#pragma once

#include <string>

// What the game asks of its sound: open the four sounds in the data folder, play a named cue,
// restart the rotation sound. The game names cues, never files or devices.
class CuePlayer {
public:
    virtual ~CuePlayer() = default;

    virtual void open(const std::string& dataDirectory) = 0;
    // "Start", "BGM" or "Goal", compared exactly; any other text plays nothing.
    virtual void PlaySound(const std::string& cue) = 0;
    // Rewinds and plays the rotation sound; nothing stops it.
    virtual void restartRotation() = 0;
};
