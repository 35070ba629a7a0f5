// libFuzzer target for what a history another program wrote goes through: the reader, the
// figures and the CSV export. Each input becomes a valid SQLite history in the real schema,
// with rows of any values the schema lets stand. Besides the sanitizers' findings it checks the
// promises the results window and the spreadsheet rely on.
#include "results/HistoryCsv.h"
#include "results/HistoryExport.h"
#include "results/HistoryStore.h"
#include "results/ResultsFigures.h"

#include "fakes/StrictCsv.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <numeric>
#include <string>
#include <unistd.h>

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

const std::string& historyPath()
{
    static const std::string path = [] {
        const std::filesystem::path folder = std::filesystem::exists("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path();
        return (folder / ("zumikko-history-fuzz-" + std::to_string(::getpid()) + ".sqlite3")).string();
    }();
    return path;
}

// Any value of any type, biased to the edges a reader gets wrong.
void bindAnything(SQLite::Statement& statement, int index, FuzzedDataProvider& input)
{
    switch (input.ConsumeIntegralInRange(0, 7)) {
    case 0:
        statement.bind(index, input.ConsumeIntegral<std::int64_t>());
        break;
    case 1:
        statement.bind(index, input.PickValueInArray<std::int64_t>(
                                  {0, -1, 1, INT64_MIN, INT64_MAX, 3'600'000'000, 3'600'000'001, 253'402'214'399'000}));
        break;
    case 2:
        statement.bind(index, input.ConsumeFloatingPoint<double>());
        break;
    case 3:
        statement.bind(index, input.ConsumeRandomLengthString(16));
        break;
    case 4: {
        const std::string bytes = input.ConsumeRandomLengthString(8);
        statement.bind(index, bytes.data(), static_cast<int>(bytes.size()));
        break;
    }
    default:
        statement.bind(index, input.ConsumeIntegralInRange<std::int64_t>(-2, 1'000'000));
        break;
    }
}

void writeHistory(FuzzedDataProvider& input)
{
    std::filesystem::remove(historyPath());
    std::filesystem::remove(historyPath() + "-wal");
    std::filesystem::remove(historyPath() + "-shm");
    HistoryStore(historyPath(), "fuzz");
    SQLite::Database database(historyPath(), SQLite::OPEN_READWRITE);
    SQLite::Transaction transaction(database);
    SQLite::Statement game(database, "INSERT INTO games(finished_at_ms, utc_offset_min, score, misses) VALUES(?,?,?,?)");
    SQLite::Statement stop(database, "INSERT OR IGNORE INTO stops VALUES(?,?,?,?,?)");
    const int games = input.ConsumeIntegralInRange(0, 12);
    for (int g = 0; g < games && input.remaining_bytes() > 0; ++g) {
        for (int column = 1; column <= 4; ++column)
            bindAnything(game, column, input);
        try {
            game.exec();
        } catch (const SQLite::Exception&) {
            game.reset();
            continue;  // a NOT NULL the value broke
        }
        game.reset();
        const std::int64_t id = database.getLastInsertRowid();
        const bool whole = input.ConsumeBool();
        const int stops = whole ? 10 : input.ConsumeIntegralInRange(0, 10);
        for (int s = 1; s <= stops; ++s) {
            stop.bind(1, id);
            stop.bind(2, whole ? s : input.ConsumeIntegralInRange(1, 10));
            if (input.ConsumeBool())
                stop.bind(3, std::string(1, static_cast<char>('A' + input.ConsumeIntegralInRange(0, 25))));
            else
                bindAnything(stop, 3, input);
            if (input.ConsumeBool())
                stop.bind(4, input.ConsumeIntegralInRange<std::int64_t>(0, 2'000'000));
            else
                bindAnything(stop, 4, input);
            bindAnything(stop, 5, input);
            try {
                stop.exec();
            } catch (const SQLite::Exception&) {
            }
            stop.reset();
        }
    }
    transaction.commit();
}

bool validUtf8(const std::string& text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                                                : lead >= 0xF0 && lead <= 0xF4   ? 4
                                                                                 : 0;
        if (length == 0 || i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        i += length;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    writeHistory(input);
    HistoryStore store(historyPath(), "fuzz");
    require(store.usable() && store.problem().empty());

    // The reader lets through only games that keep the rules, and counts the others.
    const HistorySummary summary = store.loadSummary();
    require(summary.readProblem.empty());
    require(summary.reactions.size() == summary.scores.size() * 10);
    for (const Statistics::LetterReaction& reaction : summary.reactions)
        require(reaction.letter >= 'A' && reaction.letter <= 'Z' && reaction.reactionMs >= 0
                && reaction.reactionMs <= 3'600'000);
    require(!summary.latest || summary.latest->stops.size() == 10);
    const int games = SQLite::Database(historyPath(), SQLite::OPEN_READONLY).execAndGet("SELECT count(*) FROM games").getInt();
    require(static_cast<int>(summary.scores.size()) + summary.leftOutGames() == games);

    // The figures stay within what was read.
    const ResultsFigures figures = computeResultsFigures(summary);
    if (!summary.empty()) {
        require(figures.latestFastestMs >= 0 && figures.latestSlowestMs <= 3'600'000);
        require(figures.latestFastestMs <= figures.latestMeanMs + 1e-6 && figures.latestMeanMs <= figures.latestSlowestMs + 1e-6);
        require(figures.histogram.counts.size() <= 300);
        require(std::accumulate(figures.histogram.counts.begin(), figures.histogram.counts.end(), std::size_t{0})
                == summary.reactions.size());
    }

    // The CSV parses as RFC 4180 with eight fields a row, valid UTF-8, and no cell is a formula.
    std::string csv;
    const HistoryExport::Result result = HistoryExport::run(
        store, {}, [&csv](std::string_view bytes) { csv.append(bytes); return true; },
        [](std::int64_t, std::int64_t) { return true; });
    require(result.outcome == HistoryExport::Outcome::Written);
    require(csv.rfind(HistoryCsv::header(), 0) == 0);
    require(validUtf8(csv));
    const auto rows = strictCsvRows(std::string_view(csv).substr(3));
    require(rows.has_value());
    require(static_cast<std::int64_t>(rows->size()) == result.rows + 1);
    for (const auto& row : *rows) {
        require(row.size() == HistoryCsv::kColumns);
        for (const std::string& field : row)
            require(field.empty() || std::string_view("=+-@\t\r").find(field[0]) == std::string_view::npos);
    }
    return 0;
}
