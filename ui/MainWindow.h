#pragma once

#include "game/Game.h"
#include "platform/Clock.h"
#include "platform/DeadlineTimer.h"
#include "platform/EventClock.h"
#include "platform/GameView.h"
#include "platform/MediaDevice.h"
#include "platform/RandomSource.h"
#include "platform/ScreenPresenter.h"
#include "platform/Shell.h"
#include "platform/Surface.h"
#include "record/ScoreFile.h"
#include "sound/SoundCues.h"
#include "ui/LedMarquee.h"
#include "ui/TitleBlink.h"

#include <QMainWindow>
#include <QTimer>

#include <cstdint>
#include <memory>

class KeyRouter;
class ModalWatcher;
class QAction;
class QLabel;
class QPushButton;
class RecordWindows;
class ReelDriver;
class ResultsFeature;
class SurfaceWidget;

// `frmMain`: the game's one permanent window. It builds the controls and wires the game to
// them: keys come through the KeyRouter, the reel is driven by the ReelDriver, and the rules
// themselves live in Game.
class MainWindow : public QMainWindow, private GameView {
    Q_OBJECT
public:
    struct Devices {
        MediaDevice& mciStart;
        MediaDevice& mciKaiten;
        MediaDevice& mciBGM;
        MediaDevice& mciGoal;
    };

    // dataDirectory holds the sound files; the record is score.dat there.
    MainWindow(Devices devices, const Clock& clock, RandomSource& random, Shell& shell,
               const std::string& dataDirectory, QWidget* parent = nullptr);
    MainWindow(Devices devices, const Clock& clock, RandomSource& random, Shell& shell,
               const std::string& dataDirectory, const std::string& recordPath, QWidget* parent = nullptr);
    ~MainWindow() override;

    // After the window is shown: opens the sound devices and reads the record.
    void startUp();

    // Ends the program as its quit command does, without asking: closes the sound devices and
    // leaves the event loop with status 0. For a session that ends (SIGTERM, SIGHUP).
    void endProgram();
    bool ended() const { return closing_; }

    // Judges one key press that went down at `pressedAtUs`; `keyCode` is 65-90 for A-Z.
    void KeyClick(int keyCode, std::int64_t pressedAtUs);

    const Game& game() const { return *game_; }
    QLabel* label(MainLabel which) const;
    QPushButton* startButton() const { return cmdStart_; }
    SurfaceWidget* reelWindow() const { return picMain_; }
    SurfaceWidget* ledBar() const { return picLEDMain_; }
    const Surface& windowSurface() const;
    RecordWindows& recordWindows() const { return *recordWindows_; }
    QAction* quitAction() const { return mnuEnd_; }
    QAction* scoreAction() const { return mnuScore_; }
    QAction* versionAction() const { return mnuVersion_; }
    QAction* statsAction() const { return mnuStats_; }
    ResultsFeature& results() const { return *results_; }
    bool reelTimerActive() const { return reelTimer_.isActive(); }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // GameView
    std::string caption(MainLabel label) const override;
    void setCaption(MainLabel label, const std::string& text) override;
    void reelChanged() override;
    std::int64_t presentReelNow() override;
    void showScoreMessage(const std::string& text) override;
    void openChampionEntry(const std::string& score, const std::string& caption) override;
    void reportProblem(const std::string& message) override;

    void buildClientArea();
    void buildMenu();
    void startGame();
    void tickLed();
    void tickTitle();
    void showVersion();

    const Clock& clock_;
    EventClock eventTimes_;
    Shell& shell_;
    std::string dataDirectory_;
    SoundCues sounds_;
    ScoreFile scoreFile_;
    std::unique_ptr<RecordWindows> recordWindows_;
    std::unique_ptr<ResultsFeature> results_;

    Surface picABC_;
    Surface picMask_;
    Surface picLEDFront_;
    Surface picLEDBack_;
    Surface picTitle_;
    Surface picTitle2_;

    SurfaceWidget* client_ = nullptr;
    SurfaceWidget* picMain_ = nullptr;
    SurfaceWidget* picLEDMain_ = nullptr;
    QLabel* lblKaisu_ = nullptr;
    QLabel* lblType_ = nullptr;
    QLabel* lblMiss_ = nullptr;
    QLabel* lblScore_ = nullptr;
    QPushButton* cmdStart_ = nullptr;
    QAction* mnuEnd_ = nullptr;
    QAction* mnuScore_ = nullptr;
    QAction* mnuVersion_ = nullptr;
    QAction* mnuStats_ = nullptr;

    std::unique_ptr<Game> game_;
    LedMarquee led_;
    TitleBlink title_;
    DeadlineTimer reelTimer_;
    std::unique_ptr<ScreenPresenter> presenter_;
    std::unique_ptr<ModalWatcher> modalWatcher_;
    std::unique_ptr<ReelDriver> reelDriver_;
    KeyRouter* keyRouter_ = nullptr;
    QTimer timLED_;
    QTimer timTitle_;
    bool closing_ = false;
};
