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
#include "results/HistoryLocation.h"
#include "results/HistoryStore.h"
#include "sound/SoundCues.h"
#include "ui/MainWindow.h"
#include "ui/MainWindowView.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class KeyRouter;
class ModalWatcher;
class RecordWindows;
class ResultsFeature;
class ReelDriver;
class TerminationSignals;

// The composition root: builds the stores (the one ScoreFile of the record, the one history),
// the game, its windows and the parts between them (the reel's timer and driver, the presenter
// that stamps a stop, the key router, the record and results windows, the sound cues) and
// connects them. The game writes to the main window through a MainWindowView.
class App final {
public:
    // Puts a view of its own between the game and the windows' view; test-only programs watch
    // what the game writes this way.
    using ViewDecorator = std::function<std::unique_ptr<GameView>(GameView& view)>;

    struct Devices {
        MediaDevice& mciStart;
        MediaDevice& mciKaiten;
        MediaDevice& mciBGM;
        MediaDevice& mciGoal;
    };

    // The folders that decide where the history goes besides the record's (HistoryLocation);
    // empty, it is beside the record.
    struct Folders {
        std::string program;
        std::string player;
    };

    // `dataDirectory` holds the four sound files; the record is the file at `recordPath`.
    App(Devices devices, const Clock& clock, RandomSource& random, Shell& shell, std::string dataDirectory,
        const std::string& recordPath, const Folders& folders = {}, const ViewDecorator& decorateView = {});
    ~App();

    // Shows the main window; once it is on screen, tells the player `startUpProblem` (if not
    // empty) and starts up.
    void launch(const std::string& startUpProblem = {});
    // Opens the sound devices and reads the record.
    void startUp();
    // A session that ends (SIGTERM, SIGHUP) ends the program as 終了 does, without asking.
    void endOn(TerminationSignals& terminationSignals);
    // Closes the sound devices, saves the games still waiting and leaves the event loop with
    // status 0, without asking. Games that stay unsaved are told in a box, or on stderr when the
    // session is ending and no one may be there to close it.
    void endProgram(bool sessionEnding = false);
    bool ended() const { return ended_; }

    // Judges one key press that went down at `pressedAtUs`; `keyCode` is 65-90 for A-Z.
    void KeyClick(int keyCode, std::int64_t pressedAtUs);

    MainWindow& window() { return window_; }
    const Game& game() const { return game_; }
    RecordWindows& recordWindows() const { return *recordWindows_; }
    ResultsFeature& results() const { return *results_; }
    bool reelTimerActive() const { return reelTimer_.isActive(); }

private:
    GameView& gameView() { return decoratedView_ ? *decoratedView_ : view_; }
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
    HistoryLocation historyLocation_;
    HistoryStore historyStore_;
    MainWindow window_;
    std::unique_ptr<RecordWindows> recordWindows_;
    std::unique_ptr<ResultsFeature> results_;
    MainWindowView view_;
    std::unique_ptr<GameView> decoratedView_;
    Game game_;
    DeadlineTimer reelTimer_;
    std::unique_ptr<ScreenPresenter> presenter_;
    std::unique_ptr<ModalWatcher> modalWatcher_;
    std::unique_ptr<ReelDriver> reelDriver_;
    KeyRouter* keyRouter_ = nullptr;
    bool ended_ = false;
};
