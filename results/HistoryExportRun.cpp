#include "results/HistoryExportRun.h"

#include "results/HistoryExport.h"

#include <QFile>
#include <QProgressDialog>

HistoryExportRun::HistoryExportRun(const HistoryStore& store, std::vector<FinishedGame> unsaved, const QString& path,
                                   QWidget* parent)
{
    dialog_ = new QProgressDialog(QStringLiteral("CSV を書き出しています…"), QStringLiteral("キャンセル"), 0, 100, parent);
    dialog_->setWindowTitle(QStringLiteral("CSV 書き出し"));
    // Not modal: a modal progress dialog runs the event loop inside setValue().
    dialog_->setWindowModality(Qt::NonModal);
    dialog_->setMinimumDuration(500);
    dialog_->setAutoReset(false);
    dialog_->setAutoClose(false);
    dialog_->setValue(0);
    connect(dialog_, &QProgressDialog::canceled, this, &HistoryExportRun::cancel);

    worker_ = std::thread([this, &store, unsaved = std::move(unsaved), target = QFile::encodeName(path).toStdString()] {
        int shown = -1;
        const auto problem = HistoryExport::toFile(store, unsaved, target, [this, &shown](std::int64_t rows, std::int64_t total) {
            // One message per percent: the window's thread has a reel to run.
            const int percent = total > 0 ? static_cast<int>(rows * 100 / total) : 100;
            if (percent != shown) {
                shown = percent;
                QMetaObject::invokeMethod(this, [this, percent] { progressed(percent); }, Qt::QueuedConnection);
            }
            return !cancelled_;
        });
        const QString message = problem ? QString::fromStdString(*problem) : QString();
        QMetaObject::invokeMethod(this, [this, message] { done(message); }, Qt::QueuedConnection);
    });
}

HistoryExportRun::~HistoryExportRun()
{
    cancelled_ = true;
    if (worker_.joinable())
        worker_.join();
    delete dialog_;
}

void HistoryExportRun::progressed(int percent)
{
    if (dialog_)
        dialog_->setValue(percent);
}

void HistoryExportRun::done(const QString& problem)
{
    if (dialog_)
        dialog_->hide();
    emit finished(cancelled_ ? QString() : problem);
}
