// Fills a temporary history with synthetic games (a fixed seed) and measures what the player
// waits for: recording one finished game, and opening the results window over 10,000 games
// (100,000 stops) up to its first painted frame with the figures, while a 5 ms precise timer
// stands in for the reel's tick on the same event loop. Also the memory the open window takes.
// With "export" as its argument the history holds 100,000 games (a million stops) and, once the
// window is open, all of it is exported as CSV the way the window's button does, the tick still
// running; run it under /usr/bin/time -v for the peak memory.

#include "fakes/TemporaryDirectory.h"
#include "results/HistoryStore.h"
#include "results/ResultsFeature.h"
#include "results/StatsWindow.h"

#include "platform/Fonts.h"

#include <QApplication>
#include <QLabel>
#include <QElapsedTimer>
#include <QTimer>

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

int kGames = 10'000;

FinishedGame syntheticGame(std::mt19937& random, std::int64_t finishedAtMs)
{
    std::lognormal_distribution<double> reaction(std::log(420.0), 0.25);
    std::uniform_int_distribution<int> letter(0, 25);
    std::uniform_int_distribution<int> misses(0, 20);
    FinishedGame game{finishedAtMs, 540, 0, 0, {}};
    for (int stop = 0; stop < 10; ++stop) {
        const int wrong = misses(random) == 0 ? 1 : 0;
        const auto us = static_cast<std::int64_t>(reaction(random) * 1000);
        game.stops.push_back({static_cast<char>('A' + letter(random)), us, wrong});
        game.misses += wrong;
        if (stop < 9)
            game.score += (us + 500) / 1000;
    }
    game.score += 500 * game.misses;
    return game;
}

long residentKilobytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return 0;
}

double percentileOf(std::vector<double> values, double fraction)
{
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1))];
}

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    const bool exporting = argc > 1 && std::string(argv[1]) == "export";
    if (exporting)
        kGames = 100'000;
    TemporaryDirectory directory;
    const std::string path = directory.path() + "/history.sqlite3";
    std::mt19937 random(20261208);

    {
        HistoryStore store(path, "bench");
        // The bulk of the history in one transaction, as only a bench would write it.
        SQLite::Database database(path, SQLite::OPEN_READWRITE);
        SQLite::Transaction transaction(database);
        SQLite::Statement game(database, "INSERT INTO games(finished_at_ms, utc_offset_min, score, misses) VALUES(?,?,?,?)");
        SQLite::Statement stop(database, "INSERT INTO stops VALUES(?,?,?,?,?)");
        for (int n = 0; n < kGames - 100; ++n) {
            const FinishedGame g = syntheticGame(random, 1'700'000'000'000 + n * 90'000LL);
            game.bind(1, static_cast<std::int64_t>(g.finishedAtMs));
            game.bind(2, g.utcOffsetMinutes);
            game.bind(3, static_cast<std::int64_t>(g.score));
            game.bind(4, g.misses);
            game.exec();
            game.reset();
            const std::int64_t id = database.getLastInsertRowid();
            for (int s = 0; s < 10; ++s) {
                stop.bind(1, id);
                stop.bind(2, s + 1);
                stop.bind(3, std::string(1, g.stops[s].letter));
                stop.bind(4, static_cast<std::int64_t>(g.stops[s].reactionUs));
                stop.bind(5, g.stops[s].wrongKeys);
                stop.exec();
                stop.reset();
            }
        }
        transaction.commit();
        // As a history written over months would be: its journal checkpointed long ago.
        database.exec("PRAGMA wal_checkpoint(TRUNCATE)");

        // The last 100 games as the game records them: one transaction each.
        std::vector<double> recordMs;
        std::atomic<bool> checkpointing = false;
        std::thread checkpointer;
        for (int n = 0; n < 100; ++n) {
            const FinishedGame g = syntheticGame(random, 1'800'000'000'000 + n * 90'000LL);
            QElapsedTimer timer;
            timer.start();
            if (const auto fault = store.record(g)) {
                std::fprintf(stderr, "record failed: %s\n", fault->c_str());
                return 1;
            }
            recordMs.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
            // As the program does: the journal goes into the database beside the game.
            if (store.wantsCheckpoint() && !checkpointing) {
                if (checkpointer.joinable())
                    checkpointer.join();
                checkpointing = true;
                checkpointer = std::thread([&] {
                    store.checkpoint();
                    checkpointing = false;
                });
            }
        }
        if (checkpointer.joinable())
            checkpointer.join();
        for (std::size_t i = 0; i < recordMs.size(); ++i)
            if (recordMs[i] > 5)
                std::printf("  game %zu took %.1f ms\n", i, recordMs[i]);
        {
            QElapsedTimer timer;
            timer.start();
            HistorySummary summary = store.loadSummary();
            const double loadMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
            const ResultsFigures figures = computeResultsFigures(std::move(summary));
            std::printf("read the summary %.1f ms, work out the figures %.1f ms (%zu reactions)\n", loadMs,
                        static_cast<double>(timer.nsecsElapsed()) / 1e6 - loadMs, figures.summary.reactions.size());
        }
        std::printf("record a game (100 games into %d): median %.3f ms, worst %.3f ms\n", kGames,
                    percentileOf(recordMs, 0.5), *std::max_element(recordMs.begin(), recordMs.end()));
    }

    {
        // At start-up, on the window's thread: the file is checked page by page once.
        QElapsedTimer timer;
        timer.start();
        HistoryStore reopened(path, "bench");
        std::printf("open the history of %d games at start-up: %.1f ms (%lld bytes)\n", kGames,
                    static_cast<double>(timer.nsecsElapsed()) / 1e6,
                    static_cast<long long>(std::ifstream(path, std::ios::binary | std::ios::ate).tellg()));
    }

    // As in the game: the main window's fonts are in use before the command.
    QApplication::setFont(gothicFont(9));
    QLabel owner(QStringLiteral("スコアランキング バージョン情報 成績"));
    owner.resize(338, 228);
    owner.show();
    const long before = residentKilobytes();
    HistoryStore history(path, "bench");
    ResultsFeature feature(history, owner, [](QWidget*, const QString& message) {
        std::fprintf(stderr, "message: %s\n", qPrintable(message));
    });

    // The reel's tick: a precise 5 ms single shot re-armed on every pass.
    QElapsedTimer clock;
    clock.start();
    std::vector<double> tickPeriods;
    qint64 lastTick = -1;
    bool ticking = true;
    std::function<void()> tick = [&] {
        const qint64 now = clock.nsecsElapsed();
        if (lastTick >= 0)
            tickPeriods.push_back(static_cast<double>(now - lastTick) / 1e6);
        lastTick = now;
        if (ticking)
            QTimer::singleShot(5, Qt::PreciseTimer, tick);
    };
    tick();
    // Half a second of ticks before the command, for the baseline.
    QEventLoop settle;
    QTimer::singleShot(500, &settle, &QEventLoop::quit);
    settle.exec();
    const std::size_t baselineTicks = tickPeriods.size();

    QElapsedTimer opening;
    opening.start();
    feature.showWindow();
    const double shownMs = static_cast<double>(opening.nsecsElapsed()) / 1e6;
    StatsWindow* window = feature.window();
    double firstFrameMs = 0;
    while (window->sentenceShown(0) != QString()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        if (opening.elapsed() > 10'000) {
            std::fprintf(stderr, "the window never showed its figures\n");
            return 1;
        }
    }
    const double figuresMs = static_cast<double>(opening.nsecsElapsed()) / 1e6;
    window->repaint();
    firstFrameMs = static_cast<double>(opening.nsecsElapsed()) / 1e6;
    QEventLoop after;
    QTimer::singleShot(300, &after, &QEventLoop::quit);
    after.exec();
    const long afterKb = residentKilobytes();

    std::size_t exportFirstTick = tickPeriods.size();
    double exportMs = 0;
    if (exporting) {
        const QString csv = QString::fromStdString(directory.path()) + QStringLiteral("/history.csv");
        QEventLoop exported;
        QString problem;
        QObject::connect(&feature, &ResultsFeature::exportFinished, &exported, [&](const QString& message) {
            problem = message;
            exported.quit();
        });
        QElapsedTimer exportClock;
        exportClock.start();
        feature.startExport(csv);
        exported.exec();
        exportMs = static_cast<double>(exportClock.nsecsElapsed()) / 1e6;
        if (!problem.isEmpty()) {
            std::fprintf(stderr, "export failed: %s\n", qPrintable(problem));
            return 1;
        }
        std::printf("export of %d games (%d rows): %.0f ms, %lld bytes\n", kGames, kGames * 10, exportMs,
                    static_cast<long long>(std::ifstream(csv.toStdString(), std::ios::binary | std::ios::ate).tellg()));
    }
    ticking = false;

    const std::vector<double> baseline(tickPeriods.begin(), tickPeriods.begin() + static_cast<long>(baselineTicks));
    const std::vector<double> during(tickPeriods.begin() + static_cast<long>(baselineTicks),
                                     tickPeriods.begin() + static_cast<long>(exportFirstTick));
    if (exporting) {
        const std::vector<double> whileExporting(tickPeriods.begin() + static_cast<long>(exportFirstTick), tickPeriods.end());
        std::printf("5 ms reel tick while exporting: median %.2f ms, worst %.2f ms over %zu ticks\n",
                    percentileOf(whileExporting, 0.5), *std::max_element(whileExporting.begin(), whileExporting.end()),
                    whileExporting.size());
    }
    std::printf("open the results window over %d games (%d stops): %.1f ms to the first painted frame\n", kGames,
                kGames * 10, firstFrameMs);
    std::printf("  of which: window shown %.1f ms, figures in the window %.1f ms, painted %.1f ms\n", shownMs, figuresMs,
                firstFrameMs);
    std::printf("5 ms reel tick before opening: median %.2f ms, worst %.2f ms; while opening: median %.2f ms, worst %.2f ms\n",
                percentileOf(baseline, 0.5), *std::max_element(baseline.begin(), baseline.end()),
                percentileOf(during, 0.5), *std::max_element(during.begin(), during.end()));
    std::printf("memory: %.1f MB more with the window open over the history\n",
                static_cast<double>(afterKb - before) / 1024.0);
    return 0;
}
