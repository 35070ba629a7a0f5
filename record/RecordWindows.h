#pragma once

#include "record/ProblemReporter.h"
#include "record/ScoreFile.h"
#include "record/ScoreWindow.h"
#include "record/UserNameWindow.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <string>

// Keeps at most one name-entry window and one best-score window, creating each when it is
// shown and forgetting it when it closes itself. The windows stand over the owner (the main
// window), so that the desktop places them there, but are not modal: the owner stays usable
// while they are open.
class RecordWindows : public QObject {
    Q_OBJECT
public:
    explicit RecordWindows(std::string scoreFilePath, QWidget* owner = nullptr);
    ~RecordWindows() override;

    // Tests read the messages here instead of facing a message box.
    void setProblemReporter(ProblemReporter reportProblem);

    // The best-score menu: opens the window filled from the file, or brings forward the open
    // one as it is.
    void showScore();

    // A new record: opens the name-entry window, or reuses the open one and keeps the name
    // typed so far, and shows the score and caption in it.
    void showChampionEntry(const QString& scoreText, const QString& caption);

    // The open window that holds a new record not yet in the file, or nullptr.
    QWidget* windowWithUnsavedRecord() const;

    UserNameWindow* userNameWindow() const { return userName_; }
    ScoreWindow* scoreWindow() const { return score_; }

private:
    ScoreWindow* showScoreWindow(bool loadFromFile);
    void confirmChampion(const QString& name, const QString& score);

    ScoreFile file_;
    QPointer<QWidget> owner_;
    ProblemReporter reportProblem_;
    QPointer<UserNameWindow> userName_;
    QPointer<ScoreWindow> score_;
};
