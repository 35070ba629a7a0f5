#include "game/ScoreLoader.h"

ScoreLoader::ScoreLoader(GameState& state, const ScoreFile& file, GameView& view)
    : state_(state), file_(file), view_(view)
{
}

void ScoreLoader::LoadBestScore()
{
    const ScoreReadResult result = file_.read();
    switch (result.status) {
    case ScoreReadResult::Status::Ok:
        state_.strBestScore = result.record.score;
        break;
    case ScoreReadResult::Status::Missing:
        state_.strBestScore.clear();
        break;
    case ScoreReadResult::Status::Damaged:
        state_.strBestScore.clear();
        view_.reportProblem(result.problem);
        break;
    }
}
