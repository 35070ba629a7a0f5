#include "platform/WindowPlacement.h"

#include <gtest/gtest.h>

namespace {

TEST(WindowPlacement, aWindowStandsCentredWhereItFitsAndKeepsItsCaptionAndMenuOnScreenWhereNot)
{
    struct Case {
        const char* what;
        QSize client;
        QMargins frame;
        QRect available;
        QRect placed;
    };
    const QRect vga(0, 0, 640, 480);
    const QRect tiny(0, 0, 320, 240);
    const Case cases[] = {
        {"fits, no frame yet", {298, 171}, {}, vga, {171, 154, 298, 171}},
        {"fits, framed: the frame is centred", {298, 171}, {2, 20, 2, 2}, vga, {171, 163, 298, 171}},
        {"fits exactly", {320, 240}, {}, tiny, {0, 0, 320, 240}},
        {"the main window on a 320 x 240 screen", {338, 252}, {}, tiny, {0, 0, 338, 252}},
        {"framed on a 320 x 240 screen", {338, 252}, {3, 22, 3, 3}, tiny, {3, 22, 338, 252}},
        {"below a panel, wider than the screen only", {700, 100}, {}, QRect(0, 30, 640, 450), {0, 205, 700, 100}},
        {"a second screen to the right", {338, 252}, {}, QRect(640, 0, 320, 240), {640, 0, 338, 252}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(centredPlacement(c.client, c.frame, c.available), c.placed) << c.what;
}

} // namespace
