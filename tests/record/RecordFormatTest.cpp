#include "record/RecordFormat.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class RecordFormatTest : public ::testing::Test {
protected:
    const std::string path_ = "/games/zumikko/score.dat";
};

TEST_F(RecordFormatTest, readsFieldsOneAfterAnotherWhateverTheLineLayout)
{
    struct Case {
        std::string bytes;
        std::string name, score;
    };
    const Case cases[] = {
        {"\"abc\",\"1234\"", "abc", "1234"},
        {"\"abc\",\"1234\"\r\n", "abc", "1234"},
        {"\"abc\"\r\n\"1234\"", "abc", "1234"},
        {"\"abc\"\n\"1234\"\n", "abc", "1234"},
        {"\"abc\"\r\"1234\"\r", "abc", "1234"},
        {"  \t\"abc\"\r\n   \"1234\"\r\n", "abc", "1234"},
        {"abc,1234\r\n", "abc", "1234"},
        {"abc\r\n 1234 \r\n", "abc", "1234 "},
        // Text after a closing quote belongs to no field and is passed over.
        {"\"abc\" junk\r\n\"1234\"trailing\r\n", "abc", "1234"},
        {"\"abc\"\r\n\"1234\"\r\n\"a third field\"\r\n", "abc", "1234"},
        // A quote written inside a name ends the field early.
        {"\"a\"b\"\r\n\"5\"\r\n", "a", "5"},
        {"\"\",\"0\"", "", "0"},
    };
    for (const Case& c : cases) {
        const ScoreReadResult result = RecordFormat::parse(c.bytes, path_);
        ASSERT_EQ(result.status, ScoreReadResult::Status::Ok) << c.bytes << ": " << result.problem;
        EXPECT_EQ(result.record.name, c.name) << c.bytes;
        EXPECT_EQ(result.record.score, c.score) << c.bytes;
    }
}

TEST_F(RecordFormatTest, reportsADamagedRecordByPathLineAndCause)
{
    struct Case {
        std::string bytes;
        std::string problem;
    };
    const Case cases[] = {
        {"", path_ + " が空です。"},
        {"\"abc\"\r\n", path_ + " に2行目（スコア）がありません。"},
        {"\"abc\"", path_ + " に2行目（スコア）がありません。"},
        {"\"abc\"\r\n\"abc\"\r\n", path_ + " の2行目のスコア「abc」が数値ではありません。"},
        {"\"abc\",\"abc\"\r\n", path_ + " の1行目のスコア「abc」が数値ではありません。"},
        {"\"abc\"\r\n\"\"\r\n", path_ + " の2行目のスコアが空です。"},
        {"\"abc\"\r\n\r\n\"1234\"\r\n", path_ + " の2行目のスコアが空です。"},
        {"\"abc\"\r\n\"99999999999\"\r\n", path_ + " の2行目のスコア「99999999999」が扱える範囲を超えています。"},
        {"\"abc\"\r\n\"123456789012345678901234567890\"\r\n",
         path_ + " の2行目のスコア「12345678901234567890…」が扱える範囲を超えています。"},
        // Lower is better: a negative best could never be beaten.
        {"\"abc\"\r\n\"-5\"\r\n", path_ + " の2行目のスコア「-5」が負の数です。"},
        {"\"\xFF\xFE\"\r\n\"1234\"\r\n",
         path_ + " の1行目（名前）に Shift_JIS（CP932）として読めないバイト FF があります（1 バイト目）。"},
        {"\"ab\x81\x20\"\r\n\"1234\"\r\n",
         path_ + " の1行目（名前）に Shift_JIS（CP932）として読めないバイト 81 20 があります（3 バイト目）。"},
        // Bad bytes in the score line are the score line's fault, whatever the name holds.
        {"\"abc\"\r\n\"12\x81\"\r\n",
         path_ + " の2行目（スコア）に Shift_JIS（CP932）として読めないバイト 81 があります（3 バイト目）。"},
        {"\"\x96\xBC\x91\x4F\"\r\n\"\xEF\xBB\xBF" "1234\"\r\n",
         path_ + " の2行目（スコア）に Shift_JIS（CP932）として読めないバイト EF BB があります（1 バイト目）。"},
        {"\"abc\",\"\xA0\"\r\n",
         path_ + " の1行目（スコア）に Shift_JIS（CP932）として読めないバイト A0 があります（1 バイト目）。"},
        // What a text editor saving in UTF-8 or UTF-16 puts in front.
        {"\xEF\xBB\xBF\"abc\"\r\n\"1234\"\r\n",
         path_ + " の1行目の先頭に UTF-8 の BOM（EF BB BF）があります。記録は Shift_JIS（CP932）で書かれている必要があります。"},
        {std::string("\xFF\xFE\"\0a\0\"\0", 8),
         path_ + " は UTF-16 で書かれています（先頭に BOM FF FE）。記録は Shift_JIS（CP932）で書かれている必要があります。"},
        {std::string("\xFE\xFF\0\"\0a\0\"", 8),
         path_ + " は UTF-16 で書かれています（先頭に BOM FE FF）。記録は Shift_JIS（CP932）で書かれている必要があります。"},
    };
    for (const Case& c : cases) {
        const ScoreReadResult result = RecordFormat::parse(c.bytes, path_);
        EXPECT_EQ(result.status, ScoreReadResult::Status::Damaged) << c.bytes;
        EXPECT_EQ(result.problem, c.problem);
    }
}


std::string repeated(const std::string& text, std::size_t times)
{
    std::string all;
    all.reserve(text.size() * times);
    for (std::size_t i = 0; i < times; ++i)
        all += text;
    return all;
}

// The save refuses exactly what the reader would refuse: a record of maximumBytes is written,
// one byte more is not, so a long name can never leave an unreadable score.dat behind.
TEST_F(RecordFormatTest, refusesWhatWouldNotReadBackAndNamesWhy)
{
    // "ｱ" is one CP932 byte and "あ" two; each line adds two quotes and CR LF.
    const std::string largest = "ｱ" + repeated("あ", 32763);  // 1 + 65526 + 8 + 1 ("1") = 65536 bytes
    struct Case {
        ScoreRecord record;
        std::string problem;  // empty: stored
    };
    const Case cases[] = {
        {{"a\"b", "1"}, path_ + " に保存できない文字が名前にあります: 「\"」"},
        {{"a\r\nb\n", "1"}, path_ + " に保存できない文字が名前にあります: 改行 (CR)、改行 (LF)"},
        {{"😀x😀", "1"}, path_ + " に保存できない文字が名前にあります: 「😀」"},
        {{"波〜", "1"}, path_ + " に保存できない文字が名前にあります: 「〜」"},  // glibc stores it as ～ U+FF5E
        {{"\"😀\"", "1"}, path_ + " に保存できない文字が名前にあります: 「\"」、「😀」"},
        {{"abc", "12\"3"}, path_ + " に保存できない文字がスコアにあります: 「\"」"},
        {{"abc", "abc"}, path_ + " のスコア「abc」が数値ではありません。保存できません。"},
        {{"abc", ""}, path_ + " のスコアが空です。保存できません。"},
        {{"abc", "-5"}, path_ + " のスコア「-5」が負の数です。保存できません。"},
        {{largest, "1"}, ""},
        {{"ｱ" + largest, "1"},
         path_ + " に保存できません。名前が長すぎます（記録が 65537 バイトになり、上限の 65536 バイトを超えます）。"},
        {{repeated("あ", 32767), "4970"},
         path_ + " に保存できません。名前が長すぎます（記録が 65546 バイトになり、上限の 65536 バイトを超えます）。"},
    };
    for (const Case& c : cases) {
        const RecordFormat::Composed composed = RecordFormat::compose(c.record, path_);
        EXPECT_EQ(composed.problem, c.problem) << c.record.name.substr(0, 12);
        if (c.problem.empty()) {
            EXPECT_EQ(composed.bytes.size(), RecordFormat::maximumBytes);
            const ScoreReadResult back = RecordFormat::parse(composed.bytes, path_);
            EXPECT_EQ(back.status, ScoreReadResult::Status::Ok) << back.problem;
            EXPECT_EQ(back.record.name, c.record.name);
        } else {
            EXPECT_EQ(composed.bytes, "");
        }
    }
    EXPECT_EQ(RecordFormat::unstorableCharacters("名前～①ｱ, abc"), "");
}

// Long names of one-byte (half-width katakana) and two-byte characters come back as they went,
// and each kind of byte that CP932 cannot read is reported at its own byte, counted in bytes
// from the start of its field, after characters of both widths.
TEST_F(RecordFormatTest, cp932AtItsEdgesRoundTripsAndBadBytesAreReportedWhereTheyAre)
{
    for (const std::string& name : {repeated("ｱｶﾞﾝﾟｰ｡･", 4000), repeated("漢字～①－", 6000),
                                    repeated("ｱ", 30000) + repeated("ア", 10000)}) {
        const RecordFormat::Composed composed = RecordFormat::compose({name, "4970"}, path_);
        ASSERT_EQ(composed.problem, "");
        const ScoreReadResult back = RecordFormat::parse(composed.bytes, path_);
        ASSERT_EQ(back.status, ScoreReadResult::Status::Ok) << back.problem;
        EXPECT_EQ(back.record.name, name);
        EXPECT_EQ(back.record.score, "4970");
    }

    // "名" is 96 BC and "ｱ" is B1: the bad bytes stand at the fourth byte of the name.
    const std::string before = "\x96\xBC\xB1";
    struct Case {
        const char* kind;
        std::string bad;
        std::string shown;
    };
    const Case cases[] = {
        {"a byte that begins no character", "\x80", "80"},
        {"another", "\xA0", "A0"},
        {"a byte above every lead byte", "\xFD", "FD"},
        {"a lead byte with a trail byte below its range", "\x81\x20", "81 20"},
        {"a lead byte with DEL as trail byte", "\x81\x7F", "81 7F"},
        {"a lead byte of an empty row", "\x85\x40", "85 40"},
    };
    for (const Case& c : cases) {
        const std::string field = before + c.bad + "\x82\xA0";
        const ScoreReadResult result = RecordFormat::parse("\"" + field + "\"\r\n\"1\"\r\n", path_);
        EXPECT_EQ(result.problem, path_ + " の1行目（名前）に Shift_JIS（CP932）として読めないバイト " + c.shown
                                      + " があります（4 バイト目）。")
            << c.kind;
    }
    // A lead byte cut off by the end of its field.
    EXPECT_EQ(RecordFormat::parse("\"" + before + "\x96\"\r\n\"1\"\r\n", path_).problem,
              path_ + " の1行目（名前）に Shift_JIS（CP932）として読めないバイト 96 があります（4 バイト目）。");
}

} // namespace
