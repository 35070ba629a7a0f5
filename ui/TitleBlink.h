#pragma once

#include "platform/Surface.h"

#include <cstdint>

// The title plate at the top-left of the main window, swapping its bright and dim frames once
// a second. The owner shows the window surface again after each draw.
class TitleBlink {
public:
    static constexpr int kWidth = 300;
    static constexpr int kHeight = 91;

    // The dim frame the window shows from its load until the first tick.
    static void drawInitialFrame(Surface& window, const Surface& frameB);

    // One timTitle step: draws frame A when intTitleFlag is 0, frame B otherwise, and flips it.
    void tick(Surface& window, const Surface& frameA, const Surface& frameB);

    std::int16_t intTitleFlag() const { return intTitleFlag_; }

private:
    std::int16_t intTitleFlag_ = 0;
};
