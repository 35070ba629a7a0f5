#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

class SdlAudioSystem;

// Watches what the mixer sends to the audio device, one mixing pass (block) at a time, and
// reads the frames as position-coded test sound. Install it after the audio system is open.
class MixedOutputProbe {
public:
    struct Block {
        std::uint64_t index = 0;
        int soundFrames = 0;        // frames that are not silence
        int firstSoundOffset = -1;  // where in the block the first of them lies
        long firstPosition = -1;    // decoded position of the first and last sounding frames
        long lastPosition = -1;
        bool inOrder = true;        // every sounding frame decodes, one position after the other
        std::int16_t maxRight = 0;
        int peak = 0;               // the loudest sample of either channel, as a magnitude

        bool silent() const { return soundFrames == 0; }
    };

    // By default the probe sees every pass and so keeps the mixer from resting; `passive` sees
    // only the passes that run.
    explicit MixedOutputProbe(SdlAudioSystem& audio, bool passive = false);
    ~MixedOutputProbe();
    MixedOutputProbe(const MixedOutputProbe&) = delete;
    MixedOutputProbe& operator=(const MixedOutputProbe&) = delete;

    // The index the next block will get.
    std::uint64_t nextIndex() const;

    // The first block from `since` on that satisfies `wanted`, waiting up to `timeout` for it.
    std::optional<Block> waitFor(std::uint64_t since, const std::function<bool(const Block&)>& wanted,
                                 std::chrono::milliseconds timeout = std::chrono::seconds(5)) const;

    // The `count` blocks from `since` on, once they have been mixed; fewer if they do not come in time.
    std::vector<Block> collect(std::uint64_t since, std::size_t count,
                               std::chrono::milliseconds timeout = std::chrono::seconds(5)) const;

private:
    static void onMix(void* self, std::uint8_t* stream, int bytes);
    void record(const std::int16_t* samples, int frames);

    SdlAudioSystem& audio_;
    mutable std::mutex mutex_;
    mutable std::condition_variable mixed_;
    std::vector<Block> blocks_;
};
