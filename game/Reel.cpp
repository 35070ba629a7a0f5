#include "game/Reel.h"

#include "game/CounterText.h"
#include "platform/Blit.h"

namespace {

constexpr int kDrawWidth = 184;
constexpr int kDrawHeight = 31;
constexpr int kSlowestWait = 40;
constexpr int kLetters = 26;
// Each tick the reel slows down, or at its slowest stops, with a chance of one in this many.
constexpr int kSlowDownOdds = 20;
constexpr int kSlowDownStepMs = 4;
// A stopped reel stands this many columns into the stop cell, which puts the letter under the
// marker's middle.
constexpr int kStopColumnInCell = 11;

} // namespace

Reel::Reel(GameState& state, Surface& picMain, const Surface& picABC, const Surface& picMask,
           RandomSource& random, GameView& view)
    : state_(state), picMain_(picMain), picABC_(picABC), picMask_(picMask),
      random_(random), view_(view)
{
}

std::string Reel::stopLetter(int index)
{
    // The marker stands over the third cell from the left edge.
    return std::string(1, static_cast<char>('A' + (index + 2) % kLetters));
}

void Reel::drawAt(int x)
{
    // Paint the strip, then AND the mask: letter pixels keep what was there ORed with orange,
    // everything else turns black.
    blit(picMain_, 0, 0, kDrawWidth, kDrawHeight, picABC_, x, 0, RasterOp::Paint);
    blit(picMain_, 0, 0, kDrawWidth, kDrawHeight, picMask_, x, 0, RasterOp::And);

    // Near the end of the strip the window reaches past the picture; the strip repeats every
    // 832 columns, so the rest comes from its start.
    const int shown = picABC_.width() - x;
    if (shown < picMain_.width()) {
        const int from = picABC_.width() - kStripPeriod;
        blit(picMain_, shown, 0, kDrawWidth, kDrawHeight, picABC_, from, 0, RasterOp::Paint);
        blit(picMain_, shown, 0, kDrawWidth, kDrawHeight, picMask_, from, 0, RasterOp::And);
    }
}

void Reel::DrawReel()
{
    drawAt(state_.intReelX);
    state_.intReelX = static_cast<std::int16_t>(state_.intReelX + kStep);
    if (state_.intReelX > kStripPeriod)
        state_.intReelX = 0;
    view_.reelChanged();
}

void Reel::CheckStop()
{
    const int n = static_cast<int>(random_.next() * kSlowDownOdds + 1);
    if (n != 1)
        return;

    state_.intWait = static_cast<std::int16_t>(state_.intWait + kSlowDownStepMs);
    if (state_.intWait <= kSlowestWait) {
        random_.reseed();
        return;
    }

    // At 832 the strip shows its repeated start, so the index wraps to 0 with it.
    const int index = state_.intReelX / kCellWidth % kLetters;
    state_.strPreviousTarget = state_.strTarget;
    state_.lngPreviousStart = state_.lngStart;
    state_.strTarget = stopLetter(index);
    state_.intReelX = static_cast<std::int16_t>(index * kCellWidth + kStopColumnInCell);
    drawAt(state_.intReelX);

    state_.intWait = kFullSpeedWait;
    state_.bolStop = true;
    ++state_.intCount;

    // The reaction time starts when the letter is on screen, not when it was computed.
    state_.lngStart = view_.presentReelNow();

    view_.setCaption(MainLabel::Kaisu, stopsLeftCaption(state_.intCount));
    random_.reseed();
}
