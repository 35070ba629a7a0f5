#pragma once

#include <cstdint>
#include <vector>

// Stereo test sound whose every frame says where it lies in the sound: frame i carries
// left = 1 + i % 32000 and right = 1 + i / 32000. No frame is zero, so silence in the mixed
// output is unmistakable, and a frame mixed with anything else no longer decodes in order.
namespace PositionCode {

inline std::vector<std::int16_t> frames(long count)
{
    std::vector<std::int16_t> pcm;
    pcm.reserve(2 * count);
    for (long i = 0; i < count; ++i) {
        pcm.push_back(static_cast<std::int16_t>(1 + i % 32000));
        pcm.push_back(static_cast<std::int16_t>(1 + i / 32000));
    }
    return pcm;
}

// The position of a frame, or -1 when it cannot be one of ours.
inline long decode(std::int16_t left, std::int16_t right)
{
    if (left < 1 || left > 32000 || right < 1)
        return -1;
    return static_cast<long>(right - 1) * 32000 + (left - 1);
}

} // namespace PositionCode
