#pragma once

#include "game/GameView.h"

// Only in the test-only program that bench/reaction_accuracy runs: passes everything on to the
// window's view and prints each new caption of the counters to stderr, where the benchmark
// compares them with the reaction times it measured itself.
class ReactionProbeView final : public GameView {
public:
    explicit ReactionProbeView(GameView& view) : view_(view) {}

    std::string caption(MainLabel label) const override { return view_.caption(label); }
    void setCaption(MainLabel label, const std::string& text) override;
    void reelChanged() override { view_.reelChanged(); }
    std::int64_t presentReelNow() override { return view_.presentReelNow(); }
    void showScoreMessage(const std::string& text) override { view_.showScoreMessage(text); }
    void openChampionEntry(const std::string& score, const std::string& caption) override
    {
        view_.openChampionEntry(score, caption);
    }
    std::optional<std::string> waitingRecordScore() const override { return view_.waitingRecordScore(); }
    void reportProblem(const std::string& message) override { view_.reportProblem(message); }

private:
    GameView& view_;
};
