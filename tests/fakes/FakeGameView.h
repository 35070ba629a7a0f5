#pragma once

#include "platform/GameView.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

// Labels held in a map, and every window request recorded in `events`.
class FakeGameView final : public GameView {
public:
    std::string caption(MainLabel label) const override
    {
        const auto it = captions.find(label);
        return it == captions.end() ? std::string() : it->second;
    }
    void setCaption(MainLabel label, const std::string& text) override { captions[label] = text; }
    void reelChanged() override { ++reelChanges; }
    void presentReelNow() override
    {
        ++presents;
        if (onPresent)
            onPresent();
    }
    void showScoreMessage(const std::string& text) override { events.push_back("message " + text); }
    void openChampionEntry(const std::string& score, const std::string& caption) override
    {
        events.push_back("champion " + score + " " + caption);
    }
    void reportProblem(const std::string& message) override { events.push_back("problem " + message); }

    std::map<MainLabel, std::string> captions{
        {MainLabel::Kaisu, "Let's Start"}, {MainLabel::Score, "0"}, {MainLabel::Miss, "0"}, {MainLabel::Type, ""}};
    std::vector<std::string> events;
    int reelChanges = 0;
    int presents = 0;
    std::function<void()> onPresent;
};
