#include "game/Game.h"

Game::Game(GameView& view, SoundCues& sounds, const Clock& clock, RandomSource& random,
           const ScoreFile& scoreFile, Surfaces surfaces)
    : view_(view),
      clock_(clock),
      sounds_(sounds),
      scoreFile_(scoreFile),
      reel_(state_, surfaces.picMain, surfaces.picABC, surfaces.picMask, random, view),
      loader_(state_, scoreFile, view),
      end_(state_, view, sounds, loader_),
      judge_(state_, view, sounds, end_, tally_)
{
}

void Game::startUp(const std::string& programDirectory)
{
    sounds_.open(programDirectory);
    loader_.LoadBestScore();
    scoreFile_.removeLeftoverTemporaries();
}

void Game::start()
{
    sounds_.PlaySound("Start");
    sounds_.PlaySound("BGM");
    view_.setCaption(MainLabel::Kaisu, "あと10回");
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
    // The rotation sound restarts on the first reel tick and every fourth after it, counted
    // across stops and games.
    if (state_.intKaitenWait == 0) {
        sounds_.restartRotation();
        state_.intKaitenWait = 3;
    } else {
        --state_.intKaitenWait;
    }
}
