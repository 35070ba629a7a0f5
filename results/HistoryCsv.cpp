#include "results/HistoryCsv.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

std::string isoTimestamp(std::int64_t unixMs, int utcOffsetMinutes)
{
    using namespace std::chrono;
    const sys_seconds local{seconds{(unixMs - (unixMs % 1000 + 1000) % 1000) / 1000 + utcOffsetMinutes * 60LL}};
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
    return text;
}

std::string historyCsv(const std::vector<FinishedGame>& games)
{
    // Every field is a number, a letter A-Z or a timestamp: none needs quoting.
    std::string csv = "\xEF\xBB\xBF";
    csv += "ゲーム,終了日時,ストップ,文字,反応時間(ms),誤キー,スコア,ミス\r\n";
    for (std::size_t g = 0; g < games.size(); ++g) {
        const FinishedGame& game = games[g];
        const std::string finished = isoTimestamp(game.finishedAtMs, game.utcOffsetMinutes);
        for (std::size_t s = 0; s < game.stops.size(); ++s) {
            const StopResult& stop = game.stops[s];
            char reaction[32];
            std::snprintf(reaction, sizeof reaction, "%.3f", static_cast<double>(stop.reactionUs) / 1000.0);
            csv += std::to_string(g + 1) + ',' + finished + ',' + std::to_string(s + 1) + ',' + stop.letter + ','
                   + reaction + ',' + std::to_string(stop.wrongKeys) + ',' + std::to_string(game.score) + ','
                   + std::to_string(game.misses) + "\r\n";
        }
    }
    return csv;
}
