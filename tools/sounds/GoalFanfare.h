#pragma once

#include "tools/sounds/MidiFileWriter.h"

// The music for a new best score: three bars of brass in B-flat major, broadening into the
// last chord, about six seconds.
class GoalFanfare {
public:
    static MidiFileWriter compose();
};
