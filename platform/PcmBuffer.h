#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>

// Room for a song's PCM, zeroed. Taken from calloc, which gets fresh pages that are already
// zero, rather than writing megabytes of zeros before the first block can be rendered. Empty
// when the memory is not there.
class PcmBuffer {
public:
    explicit PcmBuffer(std::size_t samples)
        : samples_(static_cast<std::int16_t*>(std::calloc(samples, sizeof(std::int16_t))))
        , size_(samples_ ? samples : 0)
    {
    }

    std::span<std::int16_t> samples() { return {samples_.get(), size_}; }
    std::span<const std::int16_t> samples() const { return {samples_.get(), size_}; }

    // Only shorter: the memory stays where it is, for a chunk that reads it in place.
    void shrink(std::size_t samples) { size_ = std::min(size_, samples); }

private:
    struct Free {
        void operator()(std::int16_t* p) const { std::free(p); }
    };
    std::unique_ptr<std::int16_t[], Free> samples_;
    std::size_t size_;
};
