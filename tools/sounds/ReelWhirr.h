#pragma once

#include <vector>

// The reel's rotation sound, 0.3 s: a ratchet tick at the very start over a soft band of
// noise. The game restarts it every fourth reel tick, so the restarts themselves make the
// ratchet's rhythm: a fast buzz at full speed, single clacks as the reel slows down.
// Noise comes from a fixed seed, so the file is the same on every run.
class ReelWhirr {
public:
    static std::vector<double> render(int sampleRate);
};
