#include "results/ResultsFeature.h"

#include "platform/BringForward.h"
#include "platform/PlainMessageBox.h"
#include "platform/TransientParent.h"
#include "results/HistoryExport.h"
#include "results/HistoryExportRun.h"
#include "results/StatsWindow.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileDialog>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>

// Qt reads user-dirs.dirs as UTF-8, so a Documents folder whose
// name is in another encoding comes out as a path that does not exist, and the dialog would fall
// back to the working folder (the program's). The folder's bytes are then read from the file and
// decoded as file names are; if even that cannot name it, the home folder.
QString ResultsFeature::saveFolder()
{
    const QString standard = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (QFileInfo(standard).isDir())
        return standard;
    QByteArray config = qgetenv("XDG_CONFIG_HOME");
    if (!config.startsWith('/'))
        config = QFile::encodeName(QDir::homePath()) + "/.config";
    QFile dirs(QFile::decodeName(config + "/user-dirs.dirs"));
    if (QFileInfo(dirs).isFile() && QFileInfo(dirs).size() < 64 * 1024 && dirs.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : dirs.readAll().split('\n')) {
            const QByteArray key = "XDG_DOCUMENTS_DIR=\"";
            if (!line.startsWith(key) || !line.endsWith('"'))
                continue;
            QByteArray path = line.mid(key.size(), line.size() - key.size() - 1);
            if (path.startsWith("$HOME"))
                path = QFile::encodeName(QDir::homePath()) + path.mid(5);
            const QString decoded = QFile::decodeName(path);
            if (QFile::encodeName(decoded) == path && QFileInfo(decoded).isDir())
                return decoded;
        }
    }
    return QDir::homePath();
}

ResultsFeature::ResultsFeature(HistoryStore& store, QWidget& owner, ProblemReporter reporter)
    : store_(store),
      owner_(owner),
      reporter_(reporter ? std::move(reporter) : ProblemReporter(PlainMessageBox::notify)),
      recorder_(
          store, WallTime::now,
          [this](const std::string& message) {
              // After the end-of-game windows have opened: the score comes first.
              QTimer::singleShot(0, this, [this, message] { report(message); });
          },
          [this] { gameRecorded(); }),
      worker_(std::make_unique<WorkerThread>())
{
    if (!store_.problem().empty()) {
        // Once the main window is on screen, so that the message stands over it.
        QTimer::singleShot(0, this, [this] { report(store_.problem()); });
    }
}

ResultsFeature::~ResultsFeature()
{
    exportRun_.reset();
    worker_.reset();
    delete window_;
}

void ResultsFeature::tellLocation(const std::string& notice, const std::string& shown)
{
    shownHistory_ = QString::fromStdString(shown);
    if (window_)
        window_->setHistorySource(shownHistory_);
    if (!notice.empty())
        QTimer::singleShot(0, this, [this, notice] { report(notice); });
}

void ResultsFeature::report(const std::string& message)
{
    reporter_(&owner_, QString::fromStdString(message));
}

std::optional<QString> ResultsFeature::finish()
{
    if (const auto message = recorder_.finish())
        return QString::fromStdString(*message);
    return std::nullopt;
}

void ResultsFeature::gameRecorded()
{
    if (store_.wantsCheckpoint() && !checkpointWaiting_.exchange(true)) {
        worker_->post([this] {
            store_.checkpoint();
            checkpointWaiting_ = false;
        });
    }
    if (window_)
        reload();
}

void ResultsFeature::showWindow()
{
    if (window_) {
        bringForward(*window_);
        return;
    }
    window_ = new StatsWindow;
    window_->setHistorySource(shownHistory_);
    // The reading starts before the window is laid out and shown, beside that work.
    reload();
    window_->setAttribute(Qt::WA_DeleteOnClose);
    setTransientParent(*window_, owner_.window());
    connect(window_, &StatsWindow::exportRequested, this, &ResultsFeature::exportCsv);
    window_->placeBeside(*owner_.window(), keepClear_ ? keepClear_() : QRect());
    window_->show();
}

void ResultsFeature::reload()
{
    if (loading_) {
        loadAgain_ = true;
        return;
    }
    loading_ = true;
    // The reading and the sorting run beside the reel, never in its way; the window gets the
    // figures when they are ready.
    worker_->post([this, unsaved = recorder_.unsavedGames()] {
        HistorySummary summary = store_.loadSummary();
        for (const FinishedGame& game : unsaved)
            summary.add(game);
        auto figures = std::make_shared<ResultsFigures>(computeResultsFigures(std::move(summary)));
        QMetaObject::invokeMethod(this, [this, figures] { loaded(*figures); }, Qt::QueuedConnection);
    });
}

void ResultsFeature::loaded(const ResultsFigures& figures)
{
    loading_ = false;
    if (window_)
        window_->setFigures(figures);
    if (loadAgain_) {
        loadAgain_ = false;
        reload();
    }
}

std::optional<QString> ResultsFeature::exportCsvTo(const QString& path) const
{
    const auto problem = HistoryExport::toFile(store_, unsavedGames(), QFile::encodeName(path).toStdString(),
                                               [](std::int64_t, std::int64_t) { return true; });
    if (problem)
        return QString::fromStdString(*problem);
    return std::nullopt;
}

void ResultsFeature::exportCsv()
{
    if (exportRun_)
        return;  // one at a time; its progress dialog is up
    const QString path = QFileDialog::getSaveFileName(window_, QStringLiteral("CSV 書き出し"),
                                                      saveFolder() + QStringLiteral("/zumikko-history.csv"),
                                                      QStringLiteral("CSV (*.csv)"));
    if (path.isEmpty())
        return;
    startExport(path);
}

void ResultsFeature::startExport(const QString& path)
{
    exportRun_ = std::make_unique<HistoryExportRun>(store_, unsavedGames(), path, window_);
    if (window_)
        window_->exportButton()->setEnabled(false);
    if (window_)
        window_->setExportDone(QString());
    connect(exportRun_.get(), &HistoryExportRun::finished, this, [this, path](const QString& problem) {
        // Not from inside its own signal.
        QTimer::singleShot(0, this, [this] {
            exportRun_.reset();
            if (window_)
                window_->exportButton()->setEnabled(true);
        });
        if (!problem.isEmpty())
            reporter_(window_, problem);
        else if (window_)
            window_->setExportDone(QStringLiteral("%1 に書き出しました。").arg(path));
        emit exportFinished(problem);
    });
}

StatsWindow* ResultsFeature::window() const
{
    return window_;
}
