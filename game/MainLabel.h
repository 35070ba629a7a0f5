#pragma once

// The labels of the main window that hold the game's running numbers and texts.
enum class MainLabel {
    Kaisu,  // stops left
    Score,  // score in milliseconds
    Miss,   // miss count
    Type,   // the last judged letter
};
