#include "game/KeyJudge.h"

#include "game/CounterText.h"

namespace {

constexpr int kStopsPerGame = 10;
constexpr double kMissPenaltyMs = 500;

} // namespace

KeyJudge::KeyJudge(GameState& state, GameView& view, SoundCues& sounds, const Clock& clock, EndOfGame& end)
    : state_(state), view_(view), sounds_(sounds), clock_(clock), end_(end)
{
}

std::string KeyJudge::letterForKey(int keyCode)
{
    if (keyCode < 'A' || keyCode > 'Z')
        return {};
    return std::string(1, static_cast<char>(keyCode));
}

void KeyJudge::KeyClick(int keyCode)
{
    if (!state_.bolKeyOK)
        return;

    const std::string letter = letterForKey(keyCode);
    // Until this game's reel has stopped once there is nothing to hit: a leftover letter from
    // the last game, or an empty target matching a key without a letter, would otherwise add
    // minutes or the whole uptime to the score.
    const bool right = state_.intCount > 0 && letter == state_.strTarget;

    if (!right) {
        view_.setCaption(MainLabel::Miss, addToCounter(view_.caption(MainLabel::Miss), 1));
        view_.setCaption(MainLabel::Score, addToCounter(view_.caption(MainLabel::Score), kMissPenaltyMs));
    } else if (state_.intCount == kStopsPerGame) {
        state_.bolEnd = true;
        state_.bolKeyOK = false;
        end_.EndGame();
    } else {
        state_.bolStop = false;
        state_.lngEnd = clock_.nowMicroseconds();
        state_.lngTime = (state_.lngEnd - state_.lngStart + 500) / 1000;
        view_.setCaption(MainLabel::Score,
                         addToCounter(view_.caption(MainLabel::Score), static_cast<double>(state_.lngTime)));
        sounds_.PlaySound("Start");
    }

    view_.setCaption(MainLabel::Type, letter);
}
