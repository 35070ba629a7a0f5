#pragma once

#include <string>

// The one record score.dat holds. Both fields are UTF-8 text; the score stays text
// (the caption of a score label, such as "4970") until the end of a game compares it.
struct ScoreRecord {
    std::string name;
    std::string score;
};
