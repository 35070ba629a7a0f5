#pragma once

#include "game/FinishedGame.h"
#include "game/GameHistory.h"
#include "platform/WallTime.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

class HistoryStore;

// Where the game hands each finished game: stamps it with the wall clock and writes it to the
// store. A game that cannot be written (another program holds the lock, a full disk) is not
// lost: it waits, oldest first, and is written with the next game and once more at the end of
// the run. The player is told once when games start to wait and, at the end, about any game that
// never reached the file. A store that could not be opened keeps the games here only; its
// reason was told when it opened.
class HistoryRecorder final : public GameHistory {
public:
    using WallClock = std::function<WallTime()>;
    using Reporter = std::function<void(const std::string& message)>;

    // `recorded` runs after each game has been taken, written or not.
    HistoryRecorder(HistoryStore& store, WallClock now, Reporter report, std::function<void()> recorded = {});

    void recordFinishedGame(const FinishedGame& game) override;
    // The run ends: one more try, waiting at most the store's busy timeout. The message for the
    // player when games are still unsaved then, else nullopt.
    std::optional<std::string> finish();

    // The games not in the file, oldest first.
    const std::vector<FinishedGame>& unsavedGames() const { return waiting_; }

private:
    // Writes the waiting games oldest first and stops at the first that fails: a lock would
    // otherwise be waited for once per game. Empty when all are written, else why not.
    std::string writeWaiting();

    HistoryStore& store_;
    WallClock now_;
    Reporter report_;
    std::function<void()> recorded_;
    std::vector<FinishedGame> waiting_;
    bool faultTold_ = false;
};
