#include "ui/TitleBlink.h"

#include <gtest/gtest.h>

namespace {

constexpr std::uint32_t kFrameA = 0xFFE040;
constexpr std::uint32_t kFrameB = 0x806020;
constexpr std::uint32_t kBackground = 0xFFFF80;

// The main window's client area: the plate occupies its top-left 300 x 91 pixels.
struct Window {
    Surface surface{338, 228, kBackground};
    const Surface frameA{300, 91, kFrameA};
    const Surface frameB{300, 91, kFrameB};
    TitleBlink blink;

    void tick() { blink.tick(surface, frameA, frameB); }

    // The plate's colour when it is uniform, and whether everything outside it is untouched.
    std::uint32_t plate() const
    {
        const std::uint32_t colour = surface.pixel(0, 0);
        for (int y = 0; y < surface.height(); ++y)
            for (int x = 0; x < surface.width(); ++x) {
                const bool inside = x < 300 && y < 91;
                if (surface.pixel(x, y) != (inside ? colour : kBackground))
                    return 0xDEAD;
            }
        return colour;
    }
};

TEST(TitleBlink, showsTheDimFrameAtLoadTheBrightOneAfterTheFirstTickThenAlternates)
{
    Window w;
    EXPECT_EQ(w.blink.intTitleFlag(), 0);
    TitleBlink::drawInitialFrame(w.surface, w.frameB);
    EXPECT_EQ(w.plate(), kFrameB);

    const std::uint32_t expected[] = {kFrameA, kFrameB, kFrameA, kFrameB, kFrameA};
    const int expectedFlag[] = {1, 0, 1, 0, 1};
    for (int t = 0; t < 5; ++t) {
        w.tick();
        EXPECT_EQ(w.plate(), expected[t]) << "tick " << t + 1;
        EXPECT_EQ(w.blink.intTitleFlag(), expectedFlag[t]) << "tick " << t + 1;
    }
}

} // namespace
