#include "game/EndOfGame.h"

#include "game/BestScoreValue.h"
#include "game/CounterText.h"

EndOfGame::EndOfGame(GameState& state, GameView& view, CuePlayer& sounds, ScoreLoader& loader)
    : state_(state), view_(view), sounds_(sounds), loader_(loader)
{
}

void EndOfGame::EndGame()
{
    // The record on file now counts, not the one read at start-up.
    loader_.LoadBestScore();
    // No record, or one that could not be read, is a best of 0: every game beats it.
    const double best = bestScoreValue(state_.strBestScore).value_or(0);
    const std::string scoreText = view_.caption(MainLabel::Score);
    const double score = counterValue(scoreText);

    // A record still waiting for its name is not in the file yet, but only a better game may take
    // its place in the window.
    const std::optional<std::string> waiting = view_.waitingRecordScore();
    const bool beatsWaiting = !waiting || score < counterValue(*waiting);

    if ((score < best || best == 0) && beatsWaiting) {
        view_.openChampionEntry(scoreText, "おめでとう！！　　過去最高スコアです。");
        sounds_.PlaySound("Goal");
    } else {
        view_.showScoreMessage("あなたのスコア　" + scoreText);
    }

    view_.setCaption(MainLabel::Kaisu, kIdleKaisuCaption);
    view_.setCaption(MainLabel::Type, "");
}
