#pragma once

#include "game/GameView.h"

#include <cstdint>
#include <functional>

class MainWindow;
class RecordWindows;

// What the game writes to, on the real windows: the main window's captions and reel, the
// program's message box over it, and the record windows for a new champion.
class MainWindowView final : public GameView {
public:
    // `presentReelNow` puts the reel on screen at once and says when it got there.
    MainWindowView(MainWindow& window, RecordWindows& recordWindows, std::function<std::int64_t()> presentReelNow);

    std::string caption(MainLabel label) const override;
    void setCaption(MainLabel label, const std::string& text) override;
    void reelChanged() override;
    std::int64_t presentReelNow() override;
    void showScoreMessage(const std::string& text) override;
    void openChampionEntry(const std::string& score, const std::string& caption) override;
    std::optional<std::string> waitingRecordScore() const override;
    void reportProblem(const std::string& message) override;

private:
    MainWindow& window_;
    RecordWindows& recordWindows_;
    std::function<std::int64_t()> presentReelNow_;
};
