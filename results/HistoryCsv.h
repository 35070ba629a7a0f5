#pragma once

#include "game/FinishedGame.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Every stop of every game as CSV (RFC 4180: CR LF line ends, a header row), UTF-8 with a byte
// order mark so that spreadsheet programs in a Japanese locale read the header right. Games are
// numbered from 1 in the order given. A history written by another program may hold anything in
// any column, so every field is made safe on its way out, whatever it holds.
namespace HistoryCsv {

constexpr std::size_t kColumns = 8;
using Row = std::array<std::string, kColumns>;

// The byte order mark and the header row.
std::string header();

// `raw` as one field: invalid UTF-8 replaced by U+FFFD, NUL removed; a field a spreadsheet would
// run as a formula (starting with = + - @ tab or CR) gets a leading ' ; quoted when it holds a
// comma, quote, CR or LF or was protected, with its quotes doubled.
std::string field(std::string_view raw);

// The fields, each through field(), joined by commas, ended by CR LF.
void appendRow(std::string& out, const Row& row);

// A stop's reaction in milliseconds with three decimals, exact for any count of microseconds.
std::string milliseconds(std::int64_t reactionUs);

// The row of one stop of a game numbered `gameNumber`, its stop numbered `stopNumber`.
Row rowOf(std::int64_t gameNumber, const FinishedGame& game, std::int64_t stopNumber, const StopResult& stop);

std::string of(const std::vector<FinishedGame>& games);

} // namespace HistoryCsv

// ISO 8601 with the offset: 2026-12-08T16:05:09+09:00. nullopt for a moment before 1970 or in
// the last day of 9999 or later (UTC), or an offset beyond 18 hours: no clock the game ran on said that.
std::optional<std::string> isoTimestamp(std::int64_t unixMs, int utcOffsetMinutes);
