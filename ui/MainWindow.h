#pragma once

#include "game/MainLabel.h"
#include "platform/SeenOnlyTimer.h"
#include "platform/Surface.h"
#include "platform/WindowVisibility.h"
#include "ui/LedMarquee.h"
#include "ui/TitleBlink.h"

#include <QMainWindow>

#include <functional>
#include <string>

class CommandKeys;
class QAction;
class QLabel;
class QPushButton;
class SurfaceWidget;

// `frmMain`: the game's one permanent window, a view. It builds and places the controls, runs
// the two decorative timers (the LED marquee and the title blink) and shows what it is told;
// what its button and menu commands do is wired up by whoever owns it.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // Asked whenever the window is about to close (終了, its close box); false keeps it open.
    void setCloseRequestHandler(std::function<bool()> mayClose);
    // The program is ending: the marquee and the title stand still.
    void stopAnimations();
    // The marquee and the title wait while the window cannot be seen, so nothing wakes the
    // program then; seen again, they go on where they were.
    bool animationsArmed() const { return timLED_.isArmed() && timTitle_.isArmed(); }

    // The commands' shortcuts and F10 act only while no game runs (see CommandKeys).
    void setCommandKeysEnabled(bool enabled);
    // For a screen reader: the letter the reel stopped on while that stop waits for its key,
    // or empty.
    void announceStoppedLetter(const std::string& letter);

    std::string caption(MainLabel which) const;
    void setCaption(MainLabel which, const std::string& text);

    QLabel* label(MainLabel which) const;
    QPushButton* startButton() const { return cmdStart_; }
    SurfaceWidget* reelWindow() const { return picMain_; }
    // The reel window with its frame and its stop marker, in screen coordinates: what another
    // window must never cover.
    QRect reelAndMarker() const;
    SurfaceWidget* ledBar() const { return picLEDMain_; }
    const Surface& windowSurface() const;
    QAction* quitAction() const { return mnuEnd_; }
    QAction* scoreAction() const { return mnuScore_; }
    QAction* versionAction() const { return mnuVersion_; }

    // The reel's letter strip and the mask that cuts the letters out of it.
    const Surface& letterStrip() const { return picABC_; }
    const Surface& letterMask() const { return picMask_; }
    QAction* statsAction() const { return mnuStats_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildClientArea();
    void buildMenu();
    void tickLed();
    void tickTitle();

    Surface picABC_;
    Surface picMask_;
    Surface picLEDFront_;
    Surface picLEDBack_;
    Surface picTitle_;
    Surface picTitle2_;

    SurfaceWidget* client_ = nullptr;
    SurfaceWidget* picMain_ = nullptr;
    QWidget* shape1_ = nullptr;
    QWidget* shape2_ = nullptr;
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
    CommandKeys* commandKeys_ = nullptr;

    LedMarquee led_;
    TitleBlink title_;
    WindowVisibility visibility_{*this};
    SeenOnlyTimer timLED_;
    SeenOnlyTimer timTitle_;
    std::function<bool()> mayClose_;
};
