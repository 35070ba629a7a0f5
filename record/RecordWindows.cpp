#include "record/RecordWindows.h"

#include "platform/MaximizeRefusal.h"
#include "platform/ProblemBox.h"
#include "platform/TransientParent.h"

#include <QLabel>

namespace {

void bringForward(QWidget& window)
{
    window.show();
    window.raise();
    window.activateWindow();
}

} // namespace

RecordWindows::RecordWindows(const RecordStore& record, const Clock& clock, QWidget* owner)
    : file_(record),
      clock_(clock),
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
        userName_ = new UserNameWindow(clock_, reportProblem_);
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

RecordDialog* RecordWindows::windowWithUnsavedRecord() const
{
    // The name-entry window comes first: while it is open, the best-score window can only hold
    // an older record.
    if (userName_ && userName_->holdsUnsavedRecord())
        return userName_;
    if (score_ && score_->holdsUnsavedRecord())
        return score_;
    return nullptr;
}

std::optional<std::string> RecordWindows::waitingRecordScore() const
{
    if (userName_ && userName_->holdsUnsavedRecord())
        return userName_->lblScore()->text().toStdString();
    if (score_ && score_->holdsUnsavedRecord())
        return score_->lblScore()->text().toStdString();
    return std::nullopt;
}

bool RecordWindows::mayQuit()
{
    RecordDialog* holder = windowWithUnsavedRecord();
    return holder == nullptr || holder->mayLoseRecord(RecordDialog::Loss::Quitting);
}
