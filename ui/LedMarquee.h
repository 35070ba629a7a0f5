#pragma once

#include "platform/Surface.h"

#include <array>
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

    // What a tick changed on the bar, for the owner to show again and nothing else: for each
    // cell a copy changed, the smallest rectangle around its changed pixels (a lit and an unlit
    // cell differ only inside their outline). A copy that lands on an identical cell or wholly
    // outside the bar adds nothing.
    struct Area {
        int x = 0, y = 0, width = 0, height = 0;
        bool operator==(const Area&) const = default;
    };
    struct ChangedCells {
        std::array<Area, 5> areas{};
        int count = 0;

        void add(int cellX, const Area& area);

    private:
        std::array<int, 5> cellX_{};
    };

    // Start positions, set when the main window loads.
    void load();

    // One timLED step: draw the two lights and move them, then advance the phase.
    ChangedCells tick(Surface& bar, const Surface& lit, const Surface& unlit);

    const Variables& variables() const { return v_; }

private:
    void drawAndMove(Surface& bar, const Surface& lit, const Surface& unlit, ChangedCells& changed);
    void stepPhase(Surface& bar, const Surface& lit, ChangedCells& changed);
    void startOutward();
    void startInward();
    bool countHold();

    Variables v_;
};
