#include "game/KeyJudge.h"

#include "game/CounterText.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kMissPenaltyMs = 500;

} // namespace

KeyJudge::KeyJudge(GameState& state, GameView& view, CuePlayer& sounds, EndOfGame& end, GameTally& tally)
    : state_(state), view_(view), sounds_(sounds), end_(end), tally_(tally)
{
}

std::string KeyJudge::letterForKey(int keyCode)
{
    if (keyCode < 'A' || keyCode > 'Z')
        return {};
    return std::string(1, static_cast<char>(keyCode));
}

void KeyJudge::KeyClick(int keyCode, std::int64_t pressedAtUs)
{
    if (!state_.bolKeyOK)
        return;

    const std::string letter = letterForKey(keyCode);
    // A key that went down before the stop was on screen waited in the queue while the stop was
    // computed: it was pressed while the reel still scrolled, so it is judged as a key between
    // the previous stop and this one, never as a reaction of a few milliseconds.
    const bool beforeThisStop = pressedAtUs < state_.lngStart;
    const int count = beforeThisStop ? state_.intCount - 1 : state_.intCount;
    const std::string& target = beforeThisStop ? state_.strPreviousTarget : state_.strTarget;
    const std::int64_t stopAtUs = beforeThisStop ? state_.lngPreviousStart : state_.lngStart;
    // Until this game's reel has stopped once there is nothing to hit: a leftover letter from
    // the last game, or an empty target matching a key without a letter, would otherwise add
    // minutes or the whole uptime to the score.
    const bool right = count > 0 && letter == target;

    if (!right) {
        view_.setCaption(MainLabel::Miss, addToCounter(view_.caption(MainLabel::Miss), 1));
        view_.setCaption(MainLabel::Score, addToCounter(view_.caption(MainLabel::Score), kMissPenaltyMs));
        tally_.wrongKey(count);
    } else if (count == GameState::kStopsPerGame) {
        state_.bolEnd = true;
        state_.bolKeyOK = false;
        // The history has the game before the end-of-game windows open.
        tally_.rightKey(count, letter.front(), pressedAtUs - stopAtUs);
        tally_.finish(std::llround(counterValue(view_.caption(MainLabel::Score))),
                      static_cast<int>(counterValue(view_.caption(MainLabel::Miss))));
        end_.EndGame();
    } else {
        // Only a key pressed while this stop was on screen lets the reel run on.
        if (!beforeThisStop)
            state_.bolStop = false;
        tally_.rightKey(count, letter.front(), pressedAtUs - stopAtUs);
        state_.lngEnd = pressedAtUs;
        // Key times come from the window system and the stop's from the display server; should
        // the two ever disagree on their order, no time is taken back from the score.
        state_.lngTime = std::max<std::int64_t>(0, (state_.lngEnd - stopAtUs + 500) / 1000);
        view_.setCaption(MainLabel::Score,
                         addToCounter(view_.caption(MainLabel::Score), static_cast<double>(state_.lngTime)));
        sounds_.PlaySound("Start");
    }

    view_.setCaption(MainLabel::Type, letter);
}
