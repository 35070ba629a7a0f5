#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Where the letter strip stands in a picture of the reel window. The reel ANDs the mask after
// painting the strip, so a pixel of the window is non-black exactly where the mask is white at
// that strip column; matching those pixels against the mask gives the strip offset.
class ReelPattern {
public:
    static constexpr int kWidth = 137;   // the reel window
    static constexpr int kRows = 31;     // rows the reel draws
    static constexpr int kPeriod = 832;  // 26 cells of 32 pixels
    static constexpr int kCell = 32;
    static constexpr int kStopColumn = 11;  // a stop snaps the offset to index * 32 + 11

    // One bit per row, bit r set where the mask is white; `columns` is the mask's width.
    explicit ReelPattern(std::vector<std::uint32_t> maskColumns);
    static ReelPattern fromMaskFile(const std::string& path);

    struct Match {
        int offset = -1;
        int wrongPixels = 0;
    };
    // `picture`: kWidth columns of kRows bits, bit r set where the window is not black.
    Match locate(const std::vector<std::uint32_t>& picture) const;

    // The letter under the marker at a stopped offset, as the game names its stops.
    static char stopLetter(int offset) { return static_cast<char>('A' + (offset / kCell + 2) % 26); }
    static bool isStopOffset(int offset) { return offset % kCell == kStopColumn; }

private:
    std::uint32_t columnAt(int stripColumn) const;

    std::vector<std::uint32_t> mask_;
};
