#pragma once

#include "game/GameState.h"
#include "game/GameView.h"
#include "platform/Clock.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

// Labels held in a map, and every window request recorded in `events` (and handed to
// `onEvent`, for tests that interleave them with other logs). A stop is shown at the moment of
// `clock`, or not stamped yet without one.
class FakeGameView final : public GameView {
public:
    FakeGameView() = default;
    explicit FakeGameView(const Clock& clock) : clock_(&clock) {}

    std::string caption(MainLabel label) const override
    {
        const auto it = captions.find(label);
        return it == captions.end() ? std::string() : it->second;
    }
    void setCaption(MainLabel label, const std::string& text) override { captions[label] = text; }
    void reelChanged() override { ++reelChanges; }
    std::int64_t presentReelNow() override
    {
        ++presents;
        if (onPresent)
            onPresent();
        if (presentStop)
            return presentStop();
        return clock_ ? clock_->nowMicroseconds() : GameState::kNotShownYet;
    }
    void showScoreMessage(const std::string& text) override { record("message " + text); }
    void openChampionEntry(const std::string& score, const std::string& caption) override
    {
        record("champion " + score + " " + caption);
    }
    std::optional<std::string> waitingRecordScore() const override { return waitingRecord; }
    void reportProblem(const std::string& message) override { record("problem " + message); }

    std::map<MainLabel, std::string> captions{
        {MainLabel::Kaisu, "Let's Start"}, {MainLabel::Score, "0"}, {MainLabel::Miss, "0"}, {MainLabel::Type, ""}};
    std::vector<std::string> events;
    std::optional<std::string> waitingRecord;  // what the record windows hold unsaved
    int reelChanges = 0;
    int presents = 0;
    std::function<void()> onPresent;
    std::function<std::int64_t()> presentStop;  // the window's own presentation, where set
    std::function<void(const std::string&)> onEvent;

private:
    void record(const std::string& event)
    {
        events.push_back(event);
        if (onEvent)
            onEvent(event);
    }

    const Clock* clock_ = nullptr;
};
