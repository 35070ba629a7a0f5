#include "record/RecordWindows.h"

#include "platform/MaximizeRefusal.h"
#include "platform/TransientParent.h"
#include "record/ProblemBox.h"

#include <QLabel>

namespace {

void bringForward(QWidget& window)
{
    window.show();
    window.raise();
    window.activateWindow();
}

} // namespace

RecordWindows::RecordWindows(std::string scoreFilePath, QWidget* owner)
    : file_(std::move(scoreFilePath)),
      owner_(owner),
      reportProblem_(showProblemBox)
{
}

RecordWindows::~RecordWindows()
{
    delete userName_.data();
    delete score_.data();
}

void RecordWindows::setProblemReporter(ProblemReporter reportProblem)
{
    reportProblem_ = std::move(reportProblem);
}

void RecordWindows::showScore()
{
    showScoreWindow(true);
}

void RecordWindows::showChampionEntry(const QString& scoreText, const QString& caption)
{
    if (!userName_) {
        userName_ = new UserNameWindow(reportProblem_);
        setTransientParent(*userName_, owner_);
        MaximizeRefusal::attachTo(*userName_);
        connect(userName_, &UserNameWindow::nameConfirmed, this, &RecordWindows::confirmChampion);
    }
    userName_->ignoreLeftoverKeys();
    bringForward(*userName_);
    userName_->lblScore()->setText(scoreText);
    userName_->setWindowTitle(caption);
}

ScoreWindow* RecordWindows::showScoreWindow(bool loadFromFile)
{
    if (score_) {
        bringForward(*score_);
        return score_;
    }
    score_ = new ScoreWindow(file_, reportProblem_);
    setTransientParent(*score_, owner_);
    MaximizeRefusal::attachTo(*score_);
    bringForward(*score_);
    if (loadFromFile)
        score_->load();
    return score_;
}

void RecordWindows::confirmChampion(const QString& name, const QString& score)
{
    // The new record replaces whatever the window would read from the file, so the file is not
    // read here: a damaged one would only be reported to be overwritten a moment later.
    showScoreWindow(false)->showNewRecord(name, score);
}

QWidget* RecordWindows::windowWithUnsavedRecord() const
{
    // The name-entry window only ever holds a new record.
    if (userName_)
        return userName_;
    if (score_ && score_->holdsUnsavedRecord())
        return score_;
    return nullptr;
}
