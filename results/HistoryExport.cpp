#include "results/HistoryExport.h"

#include "platform/AtomicFileWriter.h"
#include "results/HistoryCsv.h"
#include "results/HistoryStore.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <memory>
#include <optional>

namespace {

// Whatever the cell holds, in its own type: another program may have put text where a number
// belongs.
std::string asStored(const SQLite::Column& column)
{
    if (column.isInteger())
        return std::to_string(column.getInt64());
    if (column.isFloat()) {
        char text[40];
        std::snprintf(text, sizeof text, "%.17g", column.getDouble());
        return text;
    }
    if (column.isNull())
        return {};
    return std::string(static_cast<const char*>(column.getBlob()), static_cast<std::size_t>(column.getBytes()));
}

// Microseconds stored as a number are written in milliseconds, like every game's.
std::string reactionMs(const SQLite::Column& column)
{
    if (column.isInteger())
        return HistoryCsv::milliseconds(column.getInt64());
    if (column.isFloat()) {
        char text[40];
        std::snprintf(text, sizeof text, "%.17g", column.getDouble() / 1000);
        return text;
    }
    return asStored(column);
}

class Batches {
public:
    Batches(const HistoryExport::Write& write, const HistoryExport::Progress& progress, std::int64_t total)
        : write_(write), progress_(progress), total_(total)
    {
        text_ = HistoryCsv::header();
    }

    // false when the export is to stop, with the reason in result().
    bool add(const HistoryCsv::Row& row)
    {
        HistoryCsv::appendRow(text_, row);
        ++result_.rows;
        return text_.size() < HistoryExport::kBatchBytes || flush();
    }

    bool flush()
    {
        if (!write_(text_)) {
            result_.outcome = HistoryExport::Outcome::WriteFailed;
            return false;
        }
        text_.clear();
        if (!progress_(result_.rows, std::max(total_, result_.rows))) {
            result_.outcome = HistoryExport::Outcome::Cancelled;
            return false;
        }
        return true;
    }

    HistoryExport::Result& result() { return result_; }

private:
    const HistoryExport::Write& write_;
    const HistoryExport::Progress& progress_;
    std::int64_t total_;
    std::string text_;
    HistoryExport::Result result_;
};

std::int64_t stopsOf(const std::vector<FinishedGame>& games)
{
    std::int64_t stops = 0;
    for (const FinishedGame& game : games)
        stops += static_cast<std::int64_t>(game.stops.size());
    return stops;
}

} // namespace

HistoryExport::Result HistoryExport::run(const HistoryStore& store, const std::vector<FinishedGame>& unsaved,
                                         const Write& write, const Progress& progress)
{
    std::int64_t gameNumber = 0;
    std::unique_ptr<Batches> batches;
    if (store.usable()) {
        try {
            auto database = store.openForReading();
            SQLite::Transaction snapshot(*database);
            const char* const join = " FROM games g JOIN stops s ON s.game_id = g.id";
            const std::int64_t total
                = database->execAndGet(std::string("SELECT count(*)") + join).getInt64() + stopsOf(unsaved);
            batches = std::make_unique<Batches>(write, progress, total);
            SQLite::Statement rows(*database, std::string("SELECT g.id, g.finished_at_ms, g.utc_offset_min, g.score, "
                                                          "g.misses, s.stop, s.letter, s.reaction_us, s.wrong_keys")
                                                  + join + " ORDER BY g.id, s.stop");
            std::optional<std::int64_t> currentId;
            while (rows.executeStep()) {
                const std::int64_t id = rows.getColumn(0).getInt64();
                if (currentId != id) {
                    currentId = id;
                    ++gameNumber;
                }
                const SQLite::Column finished = rows.getColumn(1), offset = rows.getColumn(2);
                std::optional<std::string> when;
                if (finished.isInteger() && offset.isInteger() && offset.getInt64() >= INT32_MIN
                    && offset.getInt64() <= INT32_MAX)
                    when = isoTimestamp(finished.getInt64(), static_cast<int>(offset.getInt64()));
                const SQLite::Column reaction = rows.getColumn(7);
                const HistoryCsv::Row row{std::to_string(gameNumber),
                                          when ? *when : asStored(finished),
                                          asStored(rows.getColumn(5)),
                                          asStored(rows.getColumn(6)),
                                          reactionMs(reaction),
                                          asStored(rows.getColumn(8)),
                                          asStored(rows.getColumn(3)),
                                          asStored(rows.getColumn(4))};
                if (!batches->add(row))
                    return batches->result();
            }
            snapshot.commit();
        } catch (const SQLite::Exception& error) {
            Result failed;
            failed.outcome = Outcome::ReadFailed;
            failed.readProblem = "成績の履歴 " + store.path() + " を読めませんでした（" + error.what() + "）";
            return failed;
        }
    } else {
        batches = std::make_unique<Batches>(write, progress, stopsOf(unsaved));
    }
    for (const FinishedGame& game : unsaved) {
        ++gameNumber;
        for (std::size_t s = 0; s < game.stops.size(); ++s)
            if (!batches->add(HistoryCsv::rowOf(gameNumber, game, static_cast<std::int64_t>(s + 1), game.stops[s])))
                return batches->result();
    }
    batches->flush();
    return batches->result();
}

std::optional<std::string> HistoryExport::toFile(const HistoryStore& store, const std::vector<FinishedGame>& unsaved,
                                                 const std::string& path, const Progress& progress)
{
    const auto failed = [&path](const std::string& reason) {
        return "CSV を " + path + " に書き出せませんでした（" + reason + "）。";
    };
    AtomicFileWriter file;
    if (const auto problem = file.open(path))
        return failed(*problem);
    std::optional<std::string> writeProblem;
    const Result result = run(
        store, unsaved,
        [&](std::string_view bytes) {
            writeProblem = file.write(bytes);
            return !writeProblem;
        },
        progress);
    switch (result.outcome) {
    case Outcome::Written:
        if (const auto problem = file.commit())
            return failed(*problem);
        return std::nullopt;
    case Outcome::Cancelled:
        file.abandon();
        return std::nullopt;
    case Outcome::WriteFailed:
        file.abandon();
        return failed(writeProblem.value_or(std::string()));
    case Outcome::ReadFailed:
        file.abandon();
        return result.readProblem + "。CSV は書き出していません。";
    }
    return std::nullopt;
}
