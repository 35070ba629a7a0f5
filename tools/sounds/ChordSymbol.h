#pragma once

#include <string_view>
#include <vector>

// A chord written the way a lead sheet writes it: a root A-G with an optional '#' or 'b', then
// nothing (major), "m", "7", "m7", "maj7", "sus4" or "dim".
class ChordSymbol {
public:
    // Throws std::invalid_argument naming the symbol that cannot be read.
    explicit ChordSymbol(std::string_view symbol);

    int root() const { return root_; } // pitch class, 0 = C
    const std::vector<int>& intervals() const { return intervals_; } // semitones above the root, from 0

    // The root's key in [low, low + 12).
    int rootKey(int low) const;

    // The chord's keys, each moved by octaves into [low, low + 12), in rising order.
    std::vector<int> voicing(int low) const;

private:
    int root_ = 0;
    std::vector<int> intervals_;
};
