#include "results/HistoryCsv.h"

#include <gtest/gtest.h>

namespace {

TEST(HistoryCsv, timestampsCarryTheLocalTimeAndItsOffset)
{
    EXPECT_EQ(isoTimestamp(1'765'000'000'000, 540), "2025-12-06T14:46:40+09:00");
    EXPECT_EQ(isoTimestamp(1'765'000'000'999, -330), "2025-12-06T00:16:40-05:30");
    EXPECT_EQ(isoTimestamp(1'765'000'000'000, 0), "2025-12-06T05:46:40+00:00");
}

TEST(HistoryCsv, oneRowPerStopAfterABomAndAHeaderWithCrLfLineEnds)
{
    FinishedGame first{1'765'000'000'000, 540, 4970, 2, {}};
    for (int stop = 0; stop < 10; ++stop)
        first.stops.push_back({static_cast<char>('A' + stop), 400'000 + stop * 1001, stop == 1 ? 2 : 0});
    FinishedGame second = first;
    second.score = 3100;
    second.misses = 0;
    const std::string csv = historyCsv({first, second});

    ASSERT_EQ(csv.substr(0, 3), "\xEF\xBB\xBF");
    std::vector<std::string> rows;
    for (std::size_t start = 3; start < csv.size();) {
        const std::size_t end = csv.find("\r\n", start);
        ASSERT_NE(end, std::string::npos) << "every row ends with CR LF";
        rows.push_back(csv.substr(start, end - start));
        start = end + 2;
    }
    ASSERT_EQ(rows.size(), 21u);
    EXPECT_EQ(rows[0], "ゲーム,終了日時,ストップ,文字,反応時間(ms),誤キー,スコア,ミス");
    EXPECT_EQ(rows[2], "1,2025-12-06T14:46:40+09:00,2,B,401.001,2,4970,2");
    EXPECT_EQ(rows[20], "2,2025-12-06T14:46:40+09:00,10,J,409.009,0,3100,0");
}

} // namespace
