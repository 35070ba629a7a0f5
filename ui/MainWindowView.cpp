#include "ui/MainWindowView.h"

#include "platform/PlainMessageBox.h"
#include "platform/SurfaceWidget.h"
#include "record/RecordWindows.h"
#include "ui/MainWindow.h"

MainWindowView::MainWindowView(MainWindow& window, RecordWindows& recordWindows,
                               std::function<std::int64_t()> presentReelNow)
    : window_(window), recordWindows_(recordWindows), presentReelNow_(std::move(presentReelNow))
{
}

std::string MainWindowView::caption(MainLabel which) const
{
    return window_.caption(which);
}

void MainWindowView::setCaption(MainLabel which, const std::string& text)
{
    window_.setCaption(which, text);
}

void MainWindowView::reelChanged()
{
    window_.reelWindow()->update();
}

std::int64_t MainWindowView::presentReelNow()
{
    return presentReelNow_();
}

void MainWindowView::showScoreMessage(const std::string& text)
{
    PlainMessageBox::show(&window_, QString::fromStdString(text));
}

void MainWindowView::openChampionEntry(const std::string& score, const std::string& caption)
{
    recordWindows_.showChampionEntry(QString::fromStdString(score), QString::fromStdString(caption));
}

std::optional<std::string> MainWindowView::waitingRecordScore() const
{
    return recordWindows_.waitingRecordScore();
}

void MainWindowView::reportProblem(const std::string& message)
{
    PlainMessageBox::show(&window_, QString::fromStdString(message));
}
