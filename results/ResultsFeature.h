#pragma once

#include "game/FinishedGame.h"
#include "game/GameHistory.h"
#include "results/HistoryStore.h"
#include "results/ResultsFigures.h"

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

class QWidget;
class StatsWindow;

// The results window's part of the program: keeps the history of finished games beside the
// record, hands the game a GameHistory to record into, and opens the one results window beside
// the main window, which then follows every game that ends. A history that cannot be written
// keeps this run's games in memory, and each fault is told to the player once.
class ResultsFeature : public QObject, public GameHistory {
    Q_OBJECT
public:
    using Reporter = std::function<void(QWidget* parent, const QString& message)>;

    // The history is history.sqlite3 in the folder of `recordPath`.
    ResultsFeature(const std::string& recordPath, QWidget& owner, Reporter reporter = {});
    ~ResultsFeature() override;

    static std::string historyPathFor(const std::string& recordPath);

    void recordFinishedGame(const FinishedGame& game) override;
    // The menu command: opens the window, or brings the open one forward. It opens beside the
    // main window and never over the rectangle `keepClear` gives (in screen coordinates).
    void showWindow();
    void setKeepClear(std::function<QRect()> keepClear) { keepClear_ = std::move(keepClear); }
    // Writes every game as CSV to `path`; a message for the player when that failed.
    std::optional<QString> exportCsvTo(const QString& path) const;

    StatsWindow* window() const;
    const HistoryStore& store() const { return *store_; }
    const std::vector<FinishedGame>& unsavedGames() const { return unsaved_; }

private:
    void reload();
    void loaded(const ResultsFigures& figures);
    void exportCsv();
    void report(const std::string& message);

    QWidget& owner_;
    Reporter reporter_;
    std::function<QRect()> keepClear_;
    std::unique_ptr<HistoryStore> store_;
    std::vector<FinishedGame> unsaved_;
    bool writeFaultReported_ = false;
    QPointer<StatsWindow> window_;
    std::thread loader_;
    std::thread checkpointer_;
    std::atomic<bool> checkpointing_ = false;
    bool loading_ = false;
    bool loadAgain_ = false;
};
