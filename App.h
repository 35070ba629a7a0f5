#pragma once

#include "game/Game.h"
#include "game/GameView.h"
#include "platform/Clock.h"
#include "platform/DeadlineTimer.h"
#include "platform/EventClock.h"
#include "platform/MediaDevice.h"
#include "platform/RandomSource.h"
#include "platform/ScreenPresenter.h"
#include "platform/Shell.h"
#include "record/ScoreFile.h"
#include "sound/SoundCues.h"
#include "ui/MainWindow.h"

#include <cstdint>
#include <memory>
#include <string>

class KeyRouter;
class ModalWatcher;
class RecordWindows;
class ResultsFeature;
class ReelDriver;
class TerminationSignals;

// The composition root: builds the game, its windows and the parts between them (the reel's
// timer and driver, the presenter that stamps a stop, the key router, the record windows, the
// sound cues) and connects them. The main window is its view; the game writes to it through
// the GameView this class implements.
class App final : private GameView {
public:
    struct Devices {
        MediaDevice& mciStart;
        MediaDevice& mciKaiten;
        MediaDevice& mciBGM;
        MediaDevice& mciGoal;
    };

    // `dataDirectory` holds the four sound files; the record is the file at `recordPath`.
    App(Devices devices, const Clock& clock, RandomSource& random, Shell& shell, std::string dataDirectory,
        const std::string& recordPath);
    ~App() override;

    // Shows the main window; once it is on screen, tells the player `startUpProblem` (if not
    // empty) and starts up.
    void launch(const std::string& startUpProblem = {});
    // Opens the sound devices and reads the record.
    void startUp();
    // A session that ends (SIGTERM, SIGHUP) ends the program as 終了 does, without asking.
    void endOn(TerminationSignals& terminationSignals);
    // Closes the sound devices and leaves the event loop with status 0, without asking.
    void endProgram();
    bool ended() const { return ended_; }

    // Judges one key press that went down at `pressedAtUs`; `keyCode` is 65-90 for A-Z.
    void KeyClick(int keyCode, std::int64_t pressedAtUs);

    MainWindow& window() { return window_; }
    const Game& game() const { return game_; }
    RecordWindows& recordWindows() const { return *recordWindows_; }
    ResultsFeature& results() const { return *results_; }
    bool reelTimerActive() const { return reelTimer_.isActive(); }

private:
    // GameView
    std::string caption(MainLabel label) const override;
    void setCaption(MainLabel label, const std::string& text) override;
    void reelChanged() override;
    std::int64_t presentReelNow() override;
    void showScoreMessage(const std::string& text) override;
    void openChampionEntry(const std::string& score, const std::string& caption) override;
    std::optional<std::string> waitingRecordScore() const override;
    void reportProblem(const std::string& message) override;

    GameView& gameView() { return decoratedView_ ? *decoratedView_ : *this; }
    void connectCommands();
    void startGame();
    // What the main window offers and says depends on whether a game runs and waits for a key.
    void showGameState();
    void showVersion();
    bool mayClose();

    Shell& shell_;
    std::string dataDirectory_;
    EventClock eventTimes_;
    SoundCues sounds_;
    ScoreFile scoreFile_;
    MainWindow window_;
    std::unique_ptr<RecordWindows> recordWindows_;
    std::unique_ptr<ResultsFeature> results_;
    std::unique_ptr<GameView> decoratedView_;
    Game game_;
    DeadlineTimer reelTimer_;
    std::unique_ptr<ScreenPresenter> presenter_;
    std::unique_ptr<ModalWatcher> modalWatcher_;
    std::unique_ptr<ReelDriver> reelDriver_;
    KeyRouter* keyRouter_ = nullptr;
    bool ended_ = false;
};
