#pragma once

#include "platform/Clock.h"
#include "platform/ProblemReporter.h"
#include "game/RecordStore.h"
#include "record/ScoreWindow.h"
#include "record/UserNameWindow.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <optional>
#include <string>

// Keeps at most one name-entry window and one best-score window, creating each when it is
// shown and forgetting it when it closes itself. The windows stand over the owner (the main
// window), so that the desktop places them there, but are not modal: the owner stays usable
// while they are open.
class RecordWindows : public QObject {
    Q_OBJECT
public:
    // `record` is where the best-score window reads and stores; it outlives these windows.
    // `clock` times the keys the name-entry window keeps out as left over from the game.
    RecordWindows(const RecordStore& record, const Clock& clock, QWidget* owner = nullptr);
    ~RecordWindows() override;

    // Tests read the messages here instead of facing a message box.
    void setProblemReporter(ProblemReporter reportProblem);

    // The best-score menu: opens the window filled from the file, or brings forward the open
    // one as it is.
    void showScore();

    // A new record: opens the name-entry window, or reuses the open one and keeps the name
    // typed so far, and shows the score and caption in it. The caller has made sure it is better
    // than any record waiting in these windows (see waitingRecordScore).
    void showChampionEntry(const QString& scoreText, const QString& caption);

    // The open window that holds a new record not yet in the file, or nullptr.
    RecordDialog* windowWithUnsavedRecord() const;
    // The score of that record, as its window shows it.
    std::optional<std::string> waitingRecordScore() const;

    // The program is about to end: a record that would be lost is first asked about, over its
    // window. False when the player keeps it.
    bool mayQuit();

    UserNameWindow* userNameWindow() const { return userName_; }
    ScoreWindow* scoreWindow() const { return score_; }

private:
    ScoreWindow* showScoreWindow(bool loadFromFile);
    void confirmChampion(const QString& name, const QString& score);

    const RecordStore& file_;
    const Clock& clock_;
    QPointer<QWidget> owner_;
    ProblemReporter reportProblem_;
    QPointer<UserNameWindow> userName_;
    QPointer<ScoreWindow> score_;
};
