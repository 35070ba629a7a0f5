#include "results/ResultsFeature.h"

#include "platform/TransientParent.h"
#include "results/HistoryCsv.h"
#include "results/StatsWindow.h"

#include <QApplication>
#include <QDateTime>
#include <QFileDialog>
#include <QMessageBox>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTimer>

namespace {

// Never waits: a history problem must not hold up the game or the end-of-game windows.
void showPlainNotice(QWidget* owner, const QString& message)
{
    auto* box = new QMessageBox(QMessageBox::NoIcon, QApplication::applicationName(), message, QMessageBox::Ok);
    box->setTextFormat(Qt::PlainText);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    if (owner)
        setTransientParent(*box, owner->window());
    box->show();
}

} // namespace

ResultsFeature::ResultsFeature(const std::string& recordPath, QWidget& owner, Reporter reporter)
    : owner_(owner), reporter_(reporter ? std::move(reporter) : Reporter(showPlainNotice))
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    store_ = std::make_unique<HistoryStore>(historyPathFor(recordPath), stamp.toStdString());
    if (!store_->problem().empty()) {
        // Once the main window is on screen, so that the message stands over it.
        QTimer::singleShot(0, this, [this] { report(store_->problem()); });
    }
}

ResultsFeature::~ResultsFeature()
{
    if (loader_.joinable())
        loader_.join();
    if (checkpointer_.joinable())
        checkpointer_.join();
    delete window_;
}

std::string ResultsFeature::historyPathFor(const std::string& recordPath)
{
    const std::size_t slash = recordPath.find_last_of('/');
    const std::string folder = slash == std::string::npos ? std::string(".") : recordPath.substr(0, slash);
    return (folder.empty() ? std::string("/") : folder) + "/history.sqlite3";
}

void ResultsFeature::report(const std::string& message)
{
    reporter_(&owner_, QString::fromStdString(message));
}

void ResultsFeature::recordFinishedGame(const FinishedGame& game)
{
    FinishedGame stamped = game;
    const QDateTime now = QDateTime::currentDateTime();
    stamped.finishedAtMs = now.toMSecsSinceEpoch();
    stamped.utcOffsetMinutes = now.offsetFromUtc() / 60;
    if (!store_->usable()) {
        // Its reason was told at start-up.
        unsaved_.push_back(std::move(stamped));
    } else if (const auto fault = store_->record(stamped); !fault) {
        if (store_->wantsCheckpoint() && !checkpointing_) {
            if (checkpointer_.joinable())
                checkpointer_.join();  // the last one, long finished
            checkpointing_ = true;
            checkpointer_ = std::thread([this] {
                store_->checkpoint();
                checkpointing_ = false;
            });
        }
    } else {
        unsaved_.push_back(std::move(stamped));
        if (!writeFaultReported_) {
            writeFaultReported_ = true;
            // After the end-of-game windows have opened: the score comes first.
            QTimer::singleShot(0, this, [this, message = *fault] { report(message); });
        }
    }
    if (window_)
        reload();
}

void ResultsFeature::showWindow()
{
    if (window_) {
        window_->show();
        window_->raise();
        window_->activateWindow();
        return;
    }
    window_ = new StatsWindow;
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
    if (loader_.joinable())
        loader_.join();
    // The reading and the sorting run beside the reel, never in its way; the window gets the
    // figures when they are ready.
    loader_ = std::thread([this, unsaved = unsaved_] {
        HistorySummary summary = store_->loadSummary();
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
        games = store_->loadAllGames();
    } catch (const std::exception& error) {
        return QStringLiteral("成績の履歴 %1 を読めませんでした（%2）。CSV は書き出していません。")
            .arg(QString::fromStdString(store_->path()), QString::fromLocal8Bit(error.what()));
    }
    games.insert(games.end(), unsaved_.begin(), unsaved_.end());
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
