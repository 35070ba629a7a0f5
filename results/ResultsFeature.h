#pragma once

#include "platform/ProblemReporter.h"
#include "platform/WorkerThread.h"
#include "results/HistoryRecorder.h"
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

class QWidget;
class HistoryExportRun;
class StatsWindow;

// The results window's part of the program: hands the game the recorder of `store`, and opens
// the one results window beside the owner (the main window), which then follows every game that
// ends. The history is read and checkpointed on a worker of its own, never on the window's
// thread.
class ResultsFeature : public QObject {
    Q_OBJECT
public:
    // `reporter` tells the player about the history's troubles; by default a box that does not
    // wait, so that the game and its end-of-game windows go on.
    ResultsFeature(HistoryStore& store, QWidget& owner, ProblemReporter reporter = {});
    ~ResultsFeature() override;

    GameHistory& history() { return recorder_; }
    // Where the history is, when that needs saying: `notice` is told once the owner is on
    // screen, `shown` stands in the results window.
    void tellLocation(const std::string& notice, const std::string& shown);
    // The run ends: one last try to save the games still waiting. What the player must be told
    // about games that stay unsaved, else nullopt.
    std::optional<QString> finish();

    // The menu command: opens the window, or brings the open one forward. It opens beside the
    // main window and never over the rectangle `keepClear` gives (in screen coordinates).
    void showWindow();
    void setKeepClear(std::function<QRect()> keepClear) { keepClear_ = std::move(keepClear); }
    // Writes every game as CSV to `path`; a message for the player when that failed.
    std::optional<QString> exportCsvTo(const QString& path) const;
    // The export the window's button starts, after the save dialog: on a worker, with progress.
    void startExport(const QString& path);
    HistoryExportRun* exportRun() const { return exportRun_.get(); }

signals:
    // When the export startExport() began has ended: empty when written or cancelled.
    void exportFinished(const QString& problem);

public:

    // Where the save dialog starts: the player's Documents folder whatever its name's encoding,
    // else the home folder; never the program's folder.
    static QString saveFolder();

    StatsWindow* window() const;
    const HistoryStore& store() const { return store_; }
    const std::vector<FinishedGame>& unsavedGames() const { return recorder_.unsavedGames(); }

private:
    void gameRecorded();
    void reload();
    void loaded(const ResultsFigures& figures);
    void exportCsv();
    void report(const std::string& message);

    HistoryStore& store_;
    QWidget& owner_;
    ProblemReporter reporter_;
    HistoryRecorder recorder_;
    std::function<QRect()> keepClear_;
    QPointer<StatsWindow> window_;
    std::unique_ptr<HistoryExportRun> exportRun_;
    QString shownHistory_;
    std::atomic<bool> checkpointWaiting_ = false;
    bool loading_ = false;
    bool loadAgain_ = false;
    // Last, so that it is joined first, before anything its jobs use goes.
    std::unique_ptr<WorkerThread> worker_;
};
