#pragma once

#include "results/ChartLayout.h"

#include <string>
#include <vector>

// The letter keys in their QWERTY rows, each row half a key further right than the one above,
// over a legend bar from faster to slower. The keys fill the room above the legend, as large as
// it allows at 1.5 times as tall as wide, and stand centred in it.
namespace KeyboardLayout {

struct Key {
    char letter = 'A';
    ChartBox box;
};

struct Keyboard {
    std::vector<Key> keys;  // row by row from the top, each from the left
    ChartBox bar;           // the legend's colours, from faster at its left to slower at its right
    ChartItem faster;       // the words at the bar's ends, right- and left-aligned in their boxes
    ChartItem slower;
    ChartBox scale;         // one line under the bar for the ms at its ends and its middle
};

Keyboard layout(ChartBox area, const TextMetrics& metrics);

} // namespace KeyboardLayout
