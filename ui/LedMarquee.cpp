#include "ui/LedMarquee.h"

#include "platform/Blit.h"

#include <algorithm>

namespace {

constexpr int kHoldTicks = 19;

// The smallest rectangle of the bar that copying `cell` to x would change; empty when none.
LedMarquee::Area changedArea(const Surface& bar, int x, const Surface& cell)
{
    const int from = std::max(x, 0);
    const int to = std::min({x + LedMarquee::kCellWidth, bar.width(), x + cell.width()});
    const int rows = std::min({LedMarquee::kCellHeight, bar.height(), cell.height()});
    int left = to, right = from - 1, top = rows, bottom = -1;
    for (int y = 0; y < rows; ++y) {
        for (int bx = from; bx < to; ++bx) {
            if (bar.pixel(bx, y) != cell.pixel(bx - x, y)) {
                left = std::min(left, bx);
                right = std::max(right, bx);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    if (bottom < 0)
        return {};
    return {left, top, right - left + 1, bottom - top + 1};
}

void drawCell(Surface& bar, int x, const Surface& cell, LedMarquee::ChangedCells& changed)
{
    if (const LedMarquee::Area area = changedArea(bar, x, cell); area.width > 0)
        changed.add(x, area);
    blit(bar, x, 0, LedMarquee::kCellWidth, LedMarquee::kCellHeight, cell, 0, 0, RasterOp::Copy);
}

} // namespace

void LedMarquee::load()
{
    v_.varLEDLeft = 144;
    v_.intLEDRight = 152;
}

void LedMarquee::ChangedCells::add(int cellX, const Area& area)
{
    // A cell drawn twice in one tick (where the lights meet) is one area, the union of both.
    for (int i = 0; i < count; ++i) {
        Area& known = areas[static_cast<std::size_t>(i)];
        if (cellX_[static_cast<std::size_t>(i)] == cellX) {
            const int left = std::min(known.x, area.x);
            const int top = std::min(known.y, area.y);
            const int right = std::max(known.x + known.width, area.x + area.width);
            const int bottom = std::max(known.y + known.height, area.y + area.height);
            known = {left, top, right - left, bottom - top};
            return;
        }
    }
    if (count < static_cast<int>(areas.size())) {
        cellX_[static_cast<std::size_t>(count)] = cellX;
        areas[static_cast<std::size_t>(count++)] = area;
    }
}

LedMarquee::ChangedCells LedMarquee::tick(Surface& bar, const Surface& lit, const Surface& unlit)
{
    ChangedCells changed;
    drawAndMove(bar, lit, unlit, changed);
    stepPhase(bar, lit, changed);
    return changed;
}

void LedMarquee::drawAndMove(Surface& bar, const Surface& lit, const Surface& unlit, ChangedCells& changed)
{
    // Each light paints an unlit cell where it has just been. Where the two lights touch, the
    // later copy wins, so the order of the four copies is part of the picture.
    const int step = v_.intLEDDir == 0 ? -kCellWidth : kCellWidth;
    drawCell(bar, v_.varLEDLeft, lit, changed);
    drawCell(bar, v_.varLEDLeft - step, unlit, changed);
    drawCell(bar, v_.intLEDRight, lit, changed);
    drawCell(bar, v_.intLEDRight + step, unlit, changed);
    v_.varLEDLeft += step;
    v_.intLEDRight -= step;
}

void LedMarquee::stepPhase(Surface& bar, const Surface& lit, ChangedCells& changed)
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
                drawCell(bar, 144, lit, changed);
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
