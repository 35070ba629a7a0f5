#include "ui/LedMarquee.h"

#include "platform/Blit.h"

namespace {

constexpr int kHoldTicks = 19;

void drawCell(Surface& bar, int x, const Surface& cell)
{
    blit(bar, x, 0, LedMarquee::kCellWidth, LedMarquee::kCellHeight, cell, 0, 0, RasterOp::Copy);
}

} // namespace

void LedMarquee::load()
{
    v_.varLEDLeft = 144;
    v_.intLEDRight = 152;
}

void LedMarquee::tick(Surface& bar, const Surface& lit, const Surface& unlit)
{
    drawAndMove(bar, lit, unlit);
    stepPhase(bar, lit);
}

void LedMarquee::drawAndMove(Surface& bar, const Surface& lit, const Surface& unlit)
{
    // Each light paints an unlit cell where it has just been. Where the two lights touch, the
    // later copy wins, so the order of the four copies is part of the picture.
    const int step = v_.intLEDDir == 0 ? -kCellWidth : kCellWidth;
    drawCell(bar, v_.varLEDLeft, lit);
    drawCell(bar, v_.varLEDLeft - step, unlit);
    drawCell(bar, v_.intLEDRight, lit);
    drawCell(bar, v_.intLEDRight + step, unlit);
    v_.varLEDLeft += step;
    v_.intLEDRight -= step;
}

void LedMarquee::stepPhase(Surface& bar, const Surface& lit)
{
    const int phase = v_.intLEDState;
    const int left = v_.varLEDLeft;

    if (phase <= 18) {
        // Filling from the ends: each sweep comes to rest one cell short of the last.
        if (left == 8 * phase - 8) {
            startOutward();
            v_.intLEDState = phase + 1;
            // The sweep's last tick has just darkened the final gap at 144; light it again.
            if (phase == 18)
                drawCell(bar, 144, lit);
        }
    } else if (phase == 19 || phase == 43) {
        if (countHold())
            v_.intLEDState = phase + 1;
    } else if (phase == 20) {
        v_.intLEDDir = 1;
        startInward();
        v_.intLEDState = 21;
    } else if (phase == 21) {
        if (left == 312) {
            v_.intLEDDir = 1;
            startInward();
            v_.intLEDState = 23;  // there is no phase 22
        }
    } else if (phase >= 23 && phase <= 41) {
        // Filling from the centre: each sweep comes to rest one cell further out.
        if (left == 336 - 8 * phase) {
            startInward();
            v_.intLEDState = phase + 1;
        }
    } else if (phase == 42 || phase == 44) {
        if (left == 312) {
            startInward();
            v_.intLEDState = phase + 1;
        }
    } else if (phase == 45) {
        if (left == 152) {
            startOutward();
            v_.intLEDState = 0;
            v_.intLEDDir = 0;
        }
    }
}

void LedMarquee::startOutward()
{
    v_.varLEDLeft = 144;
    v_.intLEDRight = 152;
}

void LedMarquee::startInward()
{
    v_.varLEDLeft = 0;
    v_.intLEDRight = 296;
}

bool LedMarquee::countHold()
{
    if (++v_.intLEDHold < kHoldTicks)
        return false;
    v_.intLEDHold = 0;
    return true;
}
