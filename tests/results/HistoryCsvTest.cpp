#include "results/HistoryCsv.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

TEST(HistoryCsv, timestampsCarryTheLocalTimeAndItsOffsetOrNothingWhenNoClockCouldHaveSaidThem)
{
    struct Case {
        std::int64_t unixMs;
        int offset;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {1'765'000'000'000, 540, "2025-12-06T14:46:40+09:00"},
        {1'765'000'000'999, -330, "2025-12-06T00:16:40-05:30"},
        {1'765'000'000'000, 0, "2025-12-06T05:46:40+00:00"},
        {0, -60, "1969-12-31T23:00:00-01:00"},
        {253'402'214'399'000, 18 * 60, "9999-12-31T17:59:59+18:00"},
        {-1, 0, std::nullopt},
        {253'402'214'400'000, 0, std::nullopt},
        {INT64_MAX, 0, std::nullopt},
        {INT64_MIN, 0, std::nullopt},
        {1'765'000'000'000, 18 * 60 + 1, std::nullopt},
        {1'765'000'000'000, INT_MIN, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(isoTimestamp(c.unixMs, c.offset), c.expected) << c.unixMs << " at " << c.offset;
}

TEST(HistoryCsv, fieldsAreQuotedValidUtf8AndNeverAFormula)
{
    const struct {
        std::string raw, field;
    } cases[] = {
        {"A", "A"},
        {"", ""},
        {"401.001", "401.001"},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"line\nfeed", "\"line\nfeed\""},
        {"cr\rin", "\"cr\rin\""},
        {"\"", "\"\"\"\""},
        // Formulas a spreadsheet would run become text.
        {"=1+1", "\"'=1+1\""},
        {"+1", "\"'+1\""},
        {"-1", "\"'-1\""},
        {"@SUM(A1)", "\"'@SUM(A1)\""},
        {"\tx", "\"'\tx\""},
        {"\rx", "\"'\rx\""},
        {"=HYPERLINK(\"x\",\"y\")", "\"'=HYPERLINK(\"\"x\"\",\"\"y\"\")\""},
        {"1=2", "1=2"},
        {"'x", "'x"},
        // UTF-8 kept, anything else replaced byte by byte, NUL removed.
        {"あ", "あ"},
        {"\xE3\x81", "\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"\xE3\x81" "A", "\xEF\xBF\xBD\xEF\xBF\xBD" "A"},
        {"\xFF", "\xEF\xBF\xBD"},
        {"\xC0\xAF", "\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"\xF4\x90\x80\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},
        {std::string("A\0B", 3), "AB"},
        {std::string("\0=1", 3), "\"'=1\""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HistoryCsv::field(c.raw), c.field) << "raw: " << ::testing::PrintToString(c.raw);
}

TEST(HistoryCsv, reactionsAreExactMillisecondsForAnyCountOfMicroseconds)
{
    const std::pair<std::int64_t, const char*> cases[] = {
        {0, "0.000"},
        {401'001, "401.001"},
        {-1, "-0.001"},
        {INT64_MAX, "9223372036854775.807"},
        {INT64_MIN, "-9223372036854775.808"},
    };
    for (const auto& [us, text] : cases)
        EXPECT_EQ(HistoryCsv::milliseconds(us), text);
}

TEST(HistoryCsv, oneRowPerStopAfterABomAndAHeaderWithCrLfLineEnds)
{
    FinishedGame first{1'765'000'000'000, 540, 4970, 2, {}};
    for (int stop = 0; stop < 10; ++stop)
        first.stops.push_back({static_cast<char>('A' + stop), 400'000 + stop * 1001, stop == 1 ? 2 : 0});
    FinishedGame second = first;
    second.score = 3100;
    second.misses = 0;
    const std::string csv = HistoryCsv::of({first, second});

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

TEST(HistoryCsv, aRowOfOddValuesStaysOneRowOfEightFields)
{
    std::string row;
    HistoryCsv::appendRow(row, {"1", "-62135596800000", "3", "x,\r\ny", "\"", std::string("\0", 1), "=cmd|' /C calc'!A0", "\xFF"});
    EXPECT_EQ(row, "1,\"'-62135596800000\",3,\"x,\r\ny\",\"\"\"\",,\"'=cmd|' /C calc'!A0\",\xEF\xBF\xBD\r\n");
}

} // namespace
