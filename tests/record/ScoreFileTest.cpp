#include "record/ScoreFile.h"

#include "tests/record/ScoreDirectory.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>

namespace fs = std::filesystem;

namespace {

class ScoreFileTest : public ::testing::Test {
protected:
    void put(const std::string& bytes) const { scratch_.put(bytes); }
    std::string bytes() const { return scratch_.bytes(); }
    std::vector<std::string> directoryEntries() const { return scratch_.entries(); }

    ScoreDirectory scratch_;
    const fs::path& directory_ = scratch_.directory();
    const std::string& path_ = scratch_.scoreFile();
};

TEST_F(ScoreFileTest, writesTwoQuotedCp932LinesThatReadBackUnchanged)
{
    struct Case {
        ScoreRecord record;
        std::string bytes;
    };
    const Case cases[] = {
        {{"abc", "1234"}, "\x22\x61\x62\x63\x22\x0D\x0A\x22\x31\x32\x33\x34\x22\x0D\x0A"},
        {{"名前", "4970"}, "\"\x96\xBC\x91\x4F\"\r\n\"4970\"\r\n"},
        {{"", "0"}, "\"\"\r\n\"0\"\r\n"},
        {{"a,b", "1"}, "\"a,b\"\r\n\"1\"\r\n"},
        {{"  spaced  ", "1234.5"}, "\"  spaced  \"\r\n\"1234.5\"\r\n"},
    };
    const ScoreFile file(path_);
    for (const Case& c : cases) {
        ASSERT_EQ(file.write(c.record), std::nullopt) << c.record.name;
        EXPECT_EQ(bytes(), c.bytes) << c.record.name;
        const ScoreReadResult result = file.read();
        ASSERT_EQ(result.status, ScoreReadResult::Status::Ok) << result.problem;
        EXPECT_EQ(result.record.name, c.record.name);
        EXPECT_EQ(result.record.score, c.record.score);
    }
    EXPECT_EQ(directoryEntries(), std::vector<std::string>{"score.dat"});
}

TEST_F(ScoreFileTest, readsFieldsOneAfterAnotherWhateverTheLineLayout)
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
    const ScoreFile file(path_);
    for (const Case& c : cases) {
        put(c.bytes);
        const ScoreReadResult result = file.read();
        ASSERT_EQ(result.status, ScoreReadResult::Status::Ok) << c.bytes << ": " << result.problem;
        EXPECT_EQ(result.record.name, c.name) << c.bytes;
        EXPECT_EQ(result.record.score, c.score) << c.bytes;
    }
}

TEST_F(ScoreFileTest, reportsADamagedFileByPathAndCauseAndLeavesItAsItWas)
{
    struct Case {
        std::string bytes;
        std::string problem;
    };
    const Case cases[] = {
        {"", path_ + " が空です。"},
        {"\"abc\"\r\n", path_ + " にスコアの行がありません。"},
        {"\"abc\"", path_ + " にスコアの行がありません。"},
        {"\"abc\"\r\n\"abc\"\r\n", path_ + " のスコア「abc」が数値ではありません。"},
        {"\"abc\"\r\n\"\"\r\n", path_ + " のスコアが空です。"},
        {"\"abc\"\r\n\r\n\"1234\"\r\n", path_ + " のスコアが空です。"},
        {"\"abc\"\r\n\"99999999999\"\r\n", path_ + " のスコア「99999999999」が扱える範囲を超えています。"},
        {"\"abc\"\r\n\"123456789012345678901234567890\"\r\n",
         path_ + " のスコア「12345678901234567890…」が扱える範囲を超えています。"},
        {"\"\xFF\xFE\"\r\n\"1234\"\r\n", path_ + " の名前に Shift_JIS として読めない文字があります。"},
        {"\"abc\"\r\n\"12\x81\"\r\n", path_ + " のスコアに Shift_JIS として読めない文字があります。"},
    };
    const ScoreFile file(path_);
    for (const Case& c : cases) {
        put(c.bytes);
        const ScoreReadResult result = file.read();
        EXPECT_EQ(result.status, ScoreReadResult::Status::Damaged) << c.bytes;
        EXPECT_EQ(result.problem, c.problem);
        EXPECT_EQ(bytes(), c.bytes);
    }
}

TEST_F(ScoreFileTest, aMissingFileMeansNoRecordYetAndIsNotCreatedByReading)
{
    const ScoreReadResult result = ScoreFile(path_).read();
    EXPECT_EQ(result.status, ScoreReadResult::Status::Missing);
    EXPECT_TRUE(result.problem.empty());
    EXPECT_FALSE(fs::exists(path_));
}

TEST_F(ScoreFileTest, aDirectoryInPlaceOfTheFileIsReportedRatherThanTakenForNoRecord)
{
    fs::create_directory(path_);
    const ScoreReadResult result = ScoreFile(path_).read();
    EXPECT_EQ(result.status, ScoreReadResult::Status::Damaged);
    EXPECT_EQ(result.problem, path_ + " を読めません（Is a directory）。");
}

TEST_F(ScoreFileTest, savingReplacesTheWholeFileAndKeepsItsPermissions)
{
    const ScoreFile file(path_);
    ASSERT_EQ(file.write({"a much longer name than the next one", "123456"}), std::nullopt);
    fs::permissions(path_, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    ASSERT_EQ(file.write({"x", "9"}), std::nullopt);

    EXPECT_EQ(bytes(), "\"x\"\r\n\"9\"\r\n");
    EXPECT_EQ(fs::status(path_).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(ScoreFileTest, refusesANameThatWouldNotReadBackAndNamesTheCharacters)
{
    struct Case {
        std::string name;
        std::string unstorable;
        std::string listed;
    };
    const Case cases[] = {
        {"a\"b", "\"", "「\"」"},
        {"a\r\nb\n", "\r\n", "改行 (CR)、改行 (LF)"},
        {"😀x😀", "😀", "「😀」"},
        {"波〜", "〜", "「〜」"},  // glibc stores it as ～ U+FF5E
        {"\"😀\"", "\"😀", "「\"」、「😀」"},
    };
    const ScoreFile file(path_);
    ASSERT_EQ(file.write({"old", "5000"}), std::nullopt);
    for (const Case& c : cases) {
        EXPECT_EQ(ScoreFile::unstorableCharacters(c.name), c.unstorable);
        EXPECT_EQ(file.write({c.name, "1"}), path_ + " に保存できない文字が名前にあります: " + c.listed);
        EXPECT_EQ(bytes(), "\"old\"\r\n\"5000\"\r\n");
    }
    EXPECT_EQ(ScoreFile::unstorableCharacters("名前～①ｱ, abc"), "");
}

TEST_F(ScoreFileTest, refusesAScoreThatWouldLeaveADamagedFile)
{
    const ScoreFile file(path_);
    EXPECT_EQ(file.write({"abc", "abc"}), path_ + " のスコア「abc」が数値ではありません。保存できません。");
    EXPECT_EQ(file.write({"abc", ""}), path_ + " のスコアが空です。保存できません。");
    EXPECT_FALSE(fs::exists(path_));
}

TEST_F(ScoreFileTest, savingWhereNoFileCanBeCreatedReportsTheSystemReason)
{
    const std::string nowhere = (directory_ / "no such directory" / "score.dat").string();
    EXPECT_EQ(ScoreFile(nowhere).write({"abc", "1234"}),
              nowhere + " に保存できませんでした（No such file or directory）。");

    fs::create_directories(fs::path(path_) / "inside");
    EXPECT_EQ(ScoreFile(path_).write({"abc", "1234"}), path_ + " に保存できませんでした（Is a directory）。");
    EXPECT_TRUE(fs::is_directory(fs::path(path_) / "inside"));
    EXPECT_EQ(directoryEntries(), std::vector<std::string>{"score.dat"});
}

// Running out of space halfway through the new record must leave the old one whole. A file-size
// limit makes the write fail part of the way in, even for root.
TEST_F(ScoreFileTest, aWriteThatFailsHalfwayLeavesTheOldRecordWholeAndNoTemporaryFile)
{
    const ScoreFile file(path_);
    ASSERT_EQ(file.write({"old", "5000"}), std::nullopt);

    rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto savedHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 8;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);

    const std::optional<std::string> problem = file.write({"a new champion", "4970"});

    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, savedHandler);
    EXPECT_EQ(problem, path_ + " に保存できませんでした（File too large）。");
    EXPECT_EQ(bytes(), "\"old\"\r\n\"5000\"\r\n");
    EXPECT_EQ(directoryEntries(), std::vector<std::string>{"score.dat"});
}

} // namespace
