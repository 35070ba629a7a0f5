#pragma once

#include <span>

// Keeps interleaved stereo blocks under a ceiling with one block of look-ahead, so that a song
// at a fixed gain can be played while it is rendered. Each block's gain ramps linearly from
// where the last block ended to what both this block and the next one allow, so no sample
// exceeds the ceiling and the gain never jumps; once the loud part has passed, the gain creeps
// back up to 1 by a few percent per block. Music that stays under the ceiling passes unchanged.
class PeakLimiter {
public:
    explicit PeakLimiter(float ceiling);

    static float peakOf(std::span<const float> block);

    // Scales `block` in place; `nextPeak` is the peak of the block that follows it (0 at the end).
    void apply(std::span<float> block, float nextPeak);

private:
    static constexpr float releasePerBlock = 1.03f;

    float ceiling_;
    float gain_ = 1.0f;  // the gain at the end of the last block
};
