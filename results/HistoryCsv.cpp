#include "results/HistoryCsv.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// The length of the well-formed UTF-8 sequence at the start of `text` (Unicode's table 3-7), or 0.
std::size_t sequenceLength(std::string_view text)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        if (lead == 0xED)
            high = 0x9F;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        if (lead == 0xF4)
            high = 0x8F;  // nothing past U+10FFFF
    } else
        return 0;
    if (text.size() < length || byte(1) < low || byte(1) > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (byte(i) < 0x80 || byte(i) > 0xBF)
            return 0;
    return length;
}

std::string validUtf8WithoutNul(std::string_view raw)
{
    std::string text;
    text.reserve(raw.size());
    while (!raw.empty()) {
        const std::size_t length = sequenceLength(raw);
        if (length == 0) {
            text += kReplacement;
            raw.remove_prefix(1);
            continue;
        }
        if (raw[0] != '\0')
            text.append(raw.substr(0, length));
        raw.remove_prefix(length);
    }
    return text;
}

} // namespace

namespace HistoryCsv {

std::string header()
{
    return "\xEF\xBB\xBF"
           "ゲーム,終了日時,ストップ,文字,反応時間(ms),誤キー,スコア,ミス\r\n";
}

std::string field(std::string_view raw)
{
    std::string text = validUtf8WithoutNul(raw);
    // OWASP's advice on CSV injection: such a cell is text, not a formula.
    const bool formula = !text.empty() && std::string_view("=+-@\t\r").find(text[0]) != std::string_view::npos;
    if (!formula && text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = formula ? "\"'" : "\"";
    for (char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

void appendRow(std::string& out, const Row& row)
{
    for (std::size_t i = 0; i < row.size(); ++i) {
        if (i > 0)
            out += ',';
        out += field(row[i]);
    }
    out += "\r\n";
}

std::string milliseconds(std::int64_t reactionUs)
{
    // Whole and fraction apart: a double would lose the microseconds of enormous values.
    const bool negative = reactionUs < 0;
    const auto magnitude = negative ? 0 - static_cast<std::uint64_t>(reactionUs) : static_cast<std::uint64_t>(reactionUs);
    char text[32];
    std::snprintf(text, sizeof text, "%s%llu.%03llu", negative ? "-" : "",
                  static_cast<unsigned long long>(magnitude / 1000), static_cast<unsigned long long>(magnitude % 1000));
    return text;
}

Row rowOf(std::int64_t gameNumber, const FinishedGame& game, std::int64_t stopNumber, const StopResult& stop)
{
    return {std::to_string(gameNumber),
            isoTimestamp(game.finishedAtMs, game.utcOffsetMinutes).value_or(std::to_string(game.finishedAtMs)),
            std::to_string(stopNumber),
            std::string(1, stop.letter),
            milliseconds(stop.reactionUs),
            std::to_string(stop.wrongKeys),
            std::to_string(game.score),
            std::to_string(game.misses)};
}

std::string of(const std::vector<FinishedGame>& games)
{
    std::string csv = header();
    for (std::size_t g = 0; g < games.size(); ++g)
        for (std::size_t s = 0; s < games[g].stops.size(); ++s)
            appendRow(csv, rowOf(static_cast<std::int64_t>(g + 1), games[g], static_cast<std::int64_t>(s + 1),
                                 games[g].stops[s]));
    return csv;
}

} // namespace HistoryCsv

std::optional<std::string> isoTimestamp(std::int64_t unixMs, int utcOffsetMinutes)
{
    using namespace std::chrono;
    // From 1970 to the end of 9999, checked on the UTC time before any arithmetic can overflow.
    constexpr std::int64_t kEndMs = (253'402'300'800LL - 86'400) * 1000;
    if (utcOffsetMinutes < -18 * 60 || utcOffsetMinutes > 18 * 60 || unixMs < 0 || unixMs >= kEndMs)
        return std::nullopt;
    const std::int64_t seconds = unixMs / 1000 + utcOffsetMinutes * 60LL;
    const sys_seconds local{std::chrono::seconds{seconds}};
    const auto day = floor<days>(local);
    const year_month_day date{day};
    const hh_mm_ss time{local - day};
    const int offset = std::abs(utcOffsetMinutes);
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02d%c%02d:%02d", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                  static_cast<int>(time.seconds().count()), utcOffsetMinutes < 0 ? '-' : '+', offset / 60,
                  offset % 60);
    return std::string(text);
}
