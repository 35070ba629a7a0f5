#pragma once

#include "game/FinishedGame.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class HistoryStore;

// Streams every stop of the history, then of this run's unsaved games, as CSV (see HistoryCsv)
// into an output, batch by batch: the rows are read from one snapshot of the database as they
// are written, so the export holds one batch in memory whatever the history's size. Every row
// the database holds is written, the odd ones too, each field made safe; it is the player's data.
// Plain C++, meant for a worker thread: it touches nothing but the store's own read connection.
class HistoryExport {
public:
    // Takes the next bytes; false when the output failed (it keeps its own reason).
    using Write = std::function<bool(std::string_view bytes)>;
    // Rows written so far, and all there are; false cancels the export.
    using Progress = std::function<bool(std::int64_t rows, std::int64_t total)>;

    enum class Outcome { Written, Cancelled, WriteFailed, ReadFailed };
    struct Result {
        Outcome outcome = Outcome::Written;
        std::string readProblem;  // for ReadFailed, in the player's words
        std::int64_t rows = 0;
    };

    static constexpr std::size_t kBatchBytes = 64 * 1024;

    static Result run(const HistoryStore& store, const std::vector<FinishedGame>& unsaved, const Write& write,
                      const Progress& progress);

    // run() into the file at `path` through the file layer's AtomicFileWriter: the name takes the
    // CSV only when it is whole, and what is not a regular file there is refused and left alone.
    // nullopt when written or cancelled (the old file then stays), else a message for the player.
    static std::optional<std::string> toFile(const HistoryStore& store, const std::vector<FinishedGame>& unsaved,
                                             const std::string& path, const Progress& progress);
};
