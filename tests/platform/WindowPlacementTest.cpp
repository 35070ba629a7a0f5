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

TEST(WindowPlacement, aWindowOpensBesideAnotherRightBelowOrLeftAndWhereNoneHasRoomKeepsItsReelInView)
{
    struct Case {
        const char* what;
        QRect available;
        QRect beside;
        QRect placed;
    };
    const QSize preferred(562, 666);
    const QSize least(342, 560);
    // The main window framed, and the reel with its marker at (77, 92)-(219, 142) of its client.
    const auto reelOf = [](const QRect& main) { return QRect(main.topLeft() + QPoint(78, 114), QSize(143, 51)); };
    const Case cases[] = {
        {"1920 x 1080: right, whole", {0, 0, 1920, 1080}, {790, 402, 340, 276}, {1130, 402, 562, 666}},
        {"1366 x 768: right, narrower", {0, 0, 1366, 768}, {513, 246, 340, 276}, {853, 102, 513, 666}},
        {"1024 x 768: right, at its least width", {0, 0, 1024, 768}, {342, 246, 340, 276}, {682, 102, 342, 666}},
        {"a panel above", {0, 30, 1366, 738}, {513, 261, 340, 276}, {853, 102, 513, 666}},
        {"moved to the right edge: below", {0, 0, 1024, 1000}, {684, 0, 340, 276}, {462, 276, 562, 666}},
        {"no room to the right: below, its left edge under the main window's", {0, 0, 1024, 1000},
         {400, 0, 340, 276}, {400, 276, 562, 666}},
        {"right edge, no room below: left", {0, 0, 1024, 768}, {684, 246, 340, 276}, {122, 102, 562, 666}},
        {"a second screen to the left", {-1366, 0, 1366, 768}, {-853, 246, 340, 276}, {-513, 102, 513, 666}},
        {"800 x 600: over the main window, right of its reel", {0, 0, 800, 600}, {230, 162, 340, 276},
         {451, 0, 349, 600}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QRect placed = besidePlacement(preferred, least, c.beside, reelOf(c.beside), c.available);
        EXPECT_EQ(placed, c.placed);
        EXPECT_TRUE(c.available.contains(placed));
        EXPECT_FALSE(placed.intersects(reelOf(c.beside)));
    }
    EXPECT_EQ(besidePlacement(preferred, least, {150, 100, 340, 276}, {228, 214, 143, 51}, {0, 0, 640, 480}),
              QRect(0, 0, 562, 560))
        << "no room anywhere: at the top left, at a size its contents fit";
}

} // namespace
