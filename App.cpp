#include "App.h"

#include "platform/FirstExposure.h"
#include "platform/MaximizeRefusal.h"
#include "platform/ModalWatcher.h"
#include "platform/PlainMessageBox.h"
#include "platform/ScreenPresenterChoice.h"
#include "platform/SurfaceWidget.h"
#include "platform/TerminationSignals.h"
#include "platform/TransientParent.h"
#include "record/RecordWindows.h"
#include "results/ResultsFeature.h"
#include "ui/KeyRouter.h"
#include "ui/ReelDriver.h"
#include "ui/VersionWindow.h"

#include <QAction>
#include <QDateTime>
#include <QApplication>
#include <QPushButton>

#include <cstdio>

namespace {

QString toQString(const std::string& text) { return QString::fromStdString(text); }

// Names a damaged history moved aside.
std::string localTimeStamp()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")).toStdString();
}

} // namespace

App::App(Devices devices, const Clock& clock, RandomSource& random, Shell& shell, std::string dataDirectory,
         const std::string& recordPath, const Folders& folders, const ViewDecorator& decorateView)
    : shell_(shell),
      dataDirectory_(std::move(dataDirectory)),
      eventTimes_(clock),
      sounds_(devices.mciStart, devices.mciKaiten, devices.mciBGM, devices.mciGoal),
      scoreFile_(recordPath),
      historyLocation_(HistoryLocation::choose(recordPath, folders.program, folders.player)),
      historyStore_(historyLocation_.path(), localTimeStamp()),
      recordWindows_(std::make_unique<RecordWindows>(scoreFile_, clock, &window_)),
      results_(std::make_unique<ResultsFeature>(historyStore_, window_)),
      view_(window_, *recordWindows_,
            [this] {
                const std::int64_t shownAt = reelDriver_->presentStop();
                showGameState();
                return shownAt;
            }),
      decoratedView_(decorateView ? decorateView(view_) : nullptr),
      game_(gameView(), sounds_, clock, random, scoreFile_,
            Game::Surfaces{window_.reelWindow()->surface(), window_.letterStrip(), window_.letterMask()})
{
    game_.recordInto(&results_->history());
    results_->tellLocation(historyLocation_.notice(), historyLocation_.shown());
    results_->setKeepClear([this] { return window_.reelAndMarker(); });
    presenter_ = createScreenPresenter(*window_.reelWindow(), eventTimes_, clock);
    modalWatcher_ = std::make_unique<ModalWatcher>([this] {
        if (reelDriver_)
            reelDriver_->modalChanged();
    });
    reelDriver_ = std::make_unique<ReelDriver>(game_, clock, reelTimer_, *presenter_, *modalWatcher_);
    keyRouter_ = new KeyRouter(window_, eventTimes_,
                               [this](int keyCode, std::int64_t pressedAtUs) { KeyClick(keyCode, pressedAtUs); });
    connectCommands();
}

App::~App()
{
    // Windows hidden while the main window goes would otherwise call into the driver being
    // destroyed.
    modalWatcher_.reset();
    reelDriver_.reset();
}

void App::connectCommands()
{
    QObject::connect(window_.startButton(), &QPushButton::clicked, &window_, [this] { startGame(); });
    QObject::connect(window_.scoreAction(), &QAction::triggered, &window_, [this] { recordWindows_->showScore(); });
    QObject::connect(window_.versionAction(), &QAction::triggered, &window_, [this] { showVersion(); });
    QObject::connect(window_.statsAction(), &QAction::triggered, results_.get(), &ResultsFeature::showWindow);
    window_.setCloseRequestHandler([this] { return mayClose(); });
}

void App::launch(const std::string& startUpProblem)
{
    window_.show();
    // A message box at start-up must find the main window on screen to stand over it.
    new FirstExposure(window_, [this, startUpProblem] {
        if (!startUpProblem.empty())
            PlainMessageBox::show(&window_, toQString(startUpProblem));
        // A signal that came while that message was open has already ended the program.
        if (!ended_)
            startUp();
    });
}

void App::startUp()
{
    game_.startUp(dataDirectory_);
}

void App::endOn(TerminationSignals& terminationSignals)
{
    QObject::connect(&terminationSignals, &TerminationSignals::received, &window_, [this] { endProgram(true); });
}

void App::KeyClick(int keyCode, std::int64_t pressedAtUs)
{
    game_.KeyClick(keyCode, pressedAtUs);
    reelDriver_->arm();
    showGameState();
}

void App::showGameState()
{
    const GameState& state = game_.state();
    window_.setCommandKeysEnabled(!state.bolKeyOK);
    window_.announceStoppedLetter(state.bolKeyOK && state.bolStop ? state.strTarget : std::string());
}

bool App::mayClose()
{
    // A new record that has not been stored yet would be lost without a trace: ask first.
    if (!ended_) {
        if (!recordWindows_->mayQuit())
            return false;
        endProgram();
    }
    return true;
}

void App::endProgram(bool sessionEnding)
{
    // Unload: close the devices and end at once.
    if (ended_)
        return;
    ended_ = true;
    reelTimer_.stop();
    window_.stopAnimations();
    sounds_.close();
    if (const auto unsaved = results_->finish()) {
        if (sessionEnding)
            std::fprintf(stderr, "zumikko: %s\n", unsaved->toLocal8Bit().constData());
        else
            PlainMessageBox::show(&window_, *unsaved);
    }
    QApplication::exit(0);
}

void App::startGame()
{
    game_.start();
    reelDriver_->arm();
    showGameState();
}

void App::showVersion()
{
    // Modal: the reel stands still until it closes, as under every modal box.
    VersionWindow window(shell_);
    setTransientParent(window, &window_);
    MaximizeRefusal::attachTo(window);
    window.exec();
}
