#pragma once

#include "game/FinishedGame.h"

#include <string>
#include <vector>

// Every stop of every game as CSV (RFC 4180: CR LF line ends, a header row), UTF-8 with a byte
// order mark so that spreadsheet programs in a Japanese locale read the header right. Games are
// numbered from 1 in the order given.
std::string historyCsv(const std::vector<FinishedGame>& games);

// ISO 8601 with the offset: 2026-12-08T16:05:09+09:00.
std::string isoTimestamp(std::int64_t unixMs, int utcOffsetMinutes);
