#pragma once

#include "tools/sounds/MidiFileWriter.h"

// The music under a game: about a minute in D major at 150 beats a minute, played once
// through. Intro, tune, tune with a second voice, bridge, tune with everything, last chord.
class BackgroundMusic {
public:
    static MidiFileWriter compose();
};
