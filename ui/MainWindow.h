#pragma once

#include "game/Game.h"
#include "game/TickSchedule.h"
#include "platform/Clock.h"
#include "platform/DeadlineTimer.h"
#include "platform/GameView.h"
#include "platform/MediaDevice.h"
#include "platform/RandomSource.h"
#include "platform/Shell.h"
#include "platform/Surface.h"
#include "record/ScoreFile.h"
#include "sound/SoundCues.h"
#include "ui/LedMarquee.h"
#include "ui/TitleBlink.h"

#include <QMainWindow>
#include <QTimer>

#include <memory>

class QAction;
class QLabel;
class QPushButton;
class RecordWindows;
class SurfaceWidget;

// `frmMain`: the game's one permanent window. It shows the game and feeds it the player's keys,
// the start button and the reel's timer; the rules themselves live in Game.
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

    // Judges one key press; `keyCode` is 65-90 for the letters A-Z.
    void KeyClick(int keyCode);

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
    bool reelTimerActive() const { return reelTimer_.isActive(); }

    // The virtual-key code of a key event: 65-90 for the letters whatever Shift and Caps Lock say.
    static int virtualKeyCode(int qtKey);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // GameView
    std::string caption(MainLabel label) const override;
    void setCaption(MainLabel label, const std::string& text) override;
    void reelChanged() override;
    void presentReelNow() override;
    void showScoreMessage(const std::string& text) override;
    void openChampionEntry(const std::string& score, const std::string& caption) override;
    void reportProblem(const std::string& message) override;

    void buildClientArea();
    void buildMenu();
    void startGame();
    void runReelTick();
    void armReel();
    void tickLed();
    void tickTitle();
    void showVersion();

    const Clock& clock_;
    Shell& shell_;
    std::string dataDirectory_;
    SoundCues sounds_;
    ScoreFile scoreFile_;
    std::unique_ptr<RecordWindows> recordWindows_;

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

    std::unique_ptr<Game> game_;
    LedMarquee led_;
    TitleBlink title_;
    DeadlineTimer reelTimer_;
    TickSchedule reelSchedule_;
    QTimer timLED_;
    QTimer timTitle_;
    bool reelPaused_ = false;
    bool closing_ = false;
};
