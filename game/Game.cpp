#include "game/Game.h"

#include "game/CounterText.h"

namespace {

// The rotation sound restarts on the first reel tick and then on every fourth.
constexpr std::int16_t kTicksBetweenRotationSounds = 3;

} // namespace

Game::Game(GameView& view, CuePlayer& sounds, const Clock& clock, RandomSource& random,
           const RecordStore& record, Surfaces surfaces)
    : view_(view),
      clock_(clock),
      sounds_(sounds),
      reel_(state_, surfaces.picMain, surfaces.picABC, surfaces.picMask, random, view),
      loader_(state_, record, view),
      end_(state_, view, sounds, loader_),
      judge_(state_, view, sounds, end_, tally_)
{
}

void Game::startUp(const std::string& dataDirectory)
{
    sounds_.open(dataDirectory);
    loader_.LoadBestScore();
}

void Game::start()
{
    sounds_.PlaySound("Start");
    sounds_.PlaySound("BGM");
    view_.setCaption(MainLabel::Kaisu, stopsLeftCaption(0));
    view_.setCaption(MainLabel::Score, "0");
    view_.setCaption(MainLabel::Miss, "0");
    state_.intWait = Reel::kFullSpeedWait;
    state_.intCount = 0;
    state_.bolEnd = false;
    state_.bolStop = false;
    state_.bolKeyOK = true;
    tally_.start();
}

void Game::KeyClick(int keyCode, std::int64_t pressedAtUs)
{
    judge_.KeyClick(keyCode, pressedAtUs);
}

void Game::KeyClick(int keyCode)
{
    judge_.KeyClick(keyCode, clock_.nowMicroseconds());
}

void Game::stopShown(std::int64_t shownAtUs)
{
    if (state_.lngStart == GameState::kNotShownYet)
        state_.lngStart = shownAtUs;
}

void Game::reelTick()
{
    if (!reelRunning())
        return;
    reel_.DrawReel();
    reel_.CheckStop();
    // Counted across stops and games.
    if (state_.intKaitenWait == 0) {
        sounds_.restartRotation();
        state_.intKaitenWait = kTicksBetweenRotationSounds;
    } else {
        --state_.intKaitenWait;
    }
}
