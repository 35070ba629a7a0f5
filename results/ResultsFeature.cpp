#include "results/ResultsFeature.h"

#include "platform/BringForward.h"
#include "platform/PlainMessageBox.h"
#include "platform/TransientParent.h"
#include "results/HistoryCsv.h"
#include "results/StatsWindow.h"

#include <QFileDialog>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTimer>

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
    std::vector<FinishedGame> games;
    try {
        games = store_.loadAllGames();
    } catch (const std::exception& error) {
        return QStringLiteral("成績の履歴 %1 を読めませんでした（%2）。CSV は書き出していません。")
            .arg(QString::fromStdString(store_.path()), QString::fromLocal8Bit(error.what()));
    }
    games.insert(games.end(), unsavedGames().begin(), unsavedGames().end());
    const std::string csv = historyCsv(games);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(csv.data(), static_cast<qint64>(csv.size()))
                                                 != static_cast<qint64>(csv.size())
        || !file.commit()) {
        return QStringLiteral("CSV を %1 に書き出せませんでした（%2）。").arg(path, file.errorString());
    }
    return std::nullopt;
}

void ResultsFeature::exportCsv()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString path = QFileDialog::getSaveFileName(window_, QStringLiteral("CSV 書き出し"),
                                                      folder + QStringLiteral("/zumikko-history.csv"),
                                                      QStringLiteral("CSV (*.csv)"));
    if (path.isEmpty())
        return;
    if (const auto problem = exportCsvTo(path))
        reporter_(window_, *problem);
}

StatsWindow* ResultsFeature::window() const
{
    return window_;
}
