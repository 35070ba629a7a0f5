#include "tools/sounds/ChordSymbol.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <utility>

ChordSymbol::ChordSymbol(std::string_view symbol)
{
    static constexpr int semitones[] = {9, 11, 0, 2, 4, 5, 7}; // A B C D E F G
    static const std::pair<std::string_view, std::vector<int>> qualities[] = {
        {"", {0, 4, 7}},       {"m", {0, 3, 7}},         {"7", {0, 4, 7, 10}}, {"m7", {0, 3, 7, 10}},
        {"maj7", {0, 4, 7, 11}}, {"sus4", {0, 5, 7}}, {"dim", {0, 3, 6}},
    };
    if (symbol.empty() || symbol[0] < 'A' || symbol[0] > 'G')
        throw std::invalid_argument("cannot read chord '" + std::string(symbol) + "': it starts with a root A-G");
    int root = semitones[symbol[0] - 'A'];
    std::string_view rest = symbol.substr(1);
    if (!rest.empty() && (rest[0] == '#' || rest[0] == 'b')) {
        root += rest[0] == '#' ? 1 : -1;
        rest.remove_prefix(1);
    }
    const auto quality = std::find_if(std::begin(qualities), std::end(qualities),
                                      [rest](const auto& q) { return q.first == rest; });
    if (quality == std::end(qualities))
        throw std::invalid_argument("cannot read chord '" + std::string(symbol) + "': unknown kind '"
                                    + std::string(rest) + "'");
    root_ = (root + 12) % 12;
    intervals_ = quality->second;
}

std::vector<int> ChordSymbol::voicing(int low) const
{
    std::vector<int> keys;
    for (const int interval : intervals_) {
        const int pitchClass = (root_ + interval) % 12;
        keys.push_back(low + ((pitchClass - low) % 12 + 12) % 12);
    }
    std::sort(keys.begin(), keys.end());
    return keys;
}

int ChordSymbol::rootKey(int low) const
{
    return low + ((root_ - low) % 12 + 12) % 12;
}
