#include "game/ScoreLoader.h"

ScoreLoader::ScoreLoader(GameState& state, const RecordStore& store, GameView& view)
    : state_(state), store_(store), view_(view)
{
}

void ScoreLoader::LoadBestScore()
{
    const ScoreReadResult result = store_.read();
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
