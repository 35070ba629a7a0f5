#pragma once

#include "platform/Surface.h"

#include <cstdint>

// The decorative bar of LED cells on the main window: two lights run along it in a fixed
// 536-tick cycle, stacking up at the ends or in the centre and being wiped away again.
// The marquee keeps no picture of its own; it copies one of two 8 x 25 cell images straight
// into the bar, four copies a tick.
class LedMarquee {
public:
    static constexpr int kCellWidth = 8;
    static constexpr int kCellHeight = 25;
    static constexpr int kCycleTicks = 536;

    struct Variables {
        std::int16_t varLEDLeft = 0;   // x of the left light
        std::int16_t intLEDRight = 0;  // x of the right light
        std::int16_t intLEDState = 0;  // phase of the cycle, 0-45
        std::int16_t intLEDHold = 0;   // ticks counted in the two timed phases
        std::int16_t intLEDDir = 0;    // 0: the lights run outward, 1: inward

        bool operator==(const Variables&) const = default;
    };

    // Start positions, set when the main window loads.
    void load();

    // One timLED step: draw the two lights and move them, then advance the phase.
    void tick(Surface& bar, const Surface& lit, const Surface& unlit);

    const Variables& variables() const { return v_; }

private:
    void drawAndMove(Surface& bar, const Surface& lit, const Surface& unlit);
    void stepPhase(Surface& bar, const Surface& lit);
    void startOutward();
    void startInward();
    bool countHold();

    Variables v_;
};
