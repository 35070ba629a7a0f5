#pragma once

#include "game/FinishedGame.h"

#include <QObject>
#include <QPointer>
#include <QProgressDialog>
#include <QString>

#include <atomic>
#include <thread>
#include <vector>

class HistoryStore;
class QWidget;

// One CSV export on a thread of its own: the history is streamed through HistoryExport::toFile,
// which gives the chosen name the file only when it is whole. The window's
// thread only sees the progress, in a dialog that appears over `parent` when the export takes a
// while and whose Cancel leaves what stood under the name untouched. Destroying the run cancels
// it and joins the thread.
class HistoryExportRun : public QObject {
    Q_OBJECT
public:
    // `store` must outlive the run.
    HistoryExportRun(const HistoryStore& store, std::vector<FinishedGame> unsaved, const QString& path,
                     QWidget* parent);
    ~HistoryExportRun() override;

    void cancel() { cancelled_ = true; }
    QProgressDialog* progressDialog() const { return dialog_; }

signals:
    // Once, on the window's thread: empty when written or cancelled, else a message for the player.
    void finished(const QString& problem);

private:
    void progressed(int percent);
    void done(const QString& problem);

    std::atomic<bool> cancelled_ = false;
    QPointer<QProgressDialog> dialog_;
    std::thread worker_;
};
