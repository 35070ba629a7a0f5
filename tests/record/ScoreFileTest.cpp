#include "record/ScoreFile.h"

#include "tests/record/ScoreDirectory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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
        fs::remove(path_);
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



// Whatever stands in the record's place, reading returns at once with a message naming the file,
// reads nothing from anything but a small regular file, and leaves the thing as it was.
TEST_F(ScoreFileTest, readsOnlyASmallRegularFileAndRefusesAnythingElseWithoutWaitingOrReadingItWhole)
{
    const std::string record = "\"abc\"\r\n\"1234\"\r\n";
    const std::string elsewhere = (directory_ / "kept elsewhere.dat").string();
    struct Case {
        const char* what;
        std::function<void()> make;
        std::string problem;  // empty: reads abc 1234
    };
    const Case cases[] = {
        {"a FIFO, which would block open() and read()", [&] { ASSERT_EQ(::mkfifo(path_.c_str(), 0644), 0); },
         path_ + " は記録のファイルではありません（FIFO）。"},
        {"a link to /dev/zero, which never ends", [&] { fs::create_symlink("/dev/zero", path_); },
         path_ + " は記録のファイルではありません（デバイス）。"},
        {"a directory", [&] { fs::create_directory(path_); },
         path_ + " は記録のファイルではありません（フォルダー）。"},
        {"50 MB", [&] { put(record); fs::resize_file(path_, 50'000'000); },
         path_ + " は記録のファイルとしては大きすぎます（50000000 バイト、上限 65536 バイト）。"},
        {"one byte beyond the limit",
         [&] { put("\"" + std::string(ScoreFile::maximumBytes - 9, 'n') + "\"\r\n\"12\"\r\n"); },
         path_ + " は記録のファイルとしては大きすぎます（65537 バイト、上限 65536 バイト）。"},
        {"a link to a record kept elsewhere",
         [&] { std::ofstream(elsewhere, std::ios::binary) << record; fs::create_symlink(elsewhere, path_); }, ""},
        {"a record that the owner may not read (as root: still readable)",
         [&] { put(record); fs::permissions(path_, fs::perms::none); }, ::geteuid() == 0 ? "" :
         path_ + " を読めません（Permission denied）。"},
    };
    for (const Case& c : cases) {
        fs::remove_all(path_);
        c.make();
        const auto before = fs::symlink_status(path_).type();
        const ScoreReadResult result = ScoreFile(path_).read();
        if (c.problem.empty()) {
            EXPECT_EQ(result.status, ScoreReadResult::Status::Ok) << c.what << ": " << result.problem;
            EXPECT_EQ(result.record.name, "abc") << c.what;
        } else {
            EXPECT_EQ(result.status, ScoreReadResult::Status::Damaged) << c.what;
            EXPECT_EQ(result.problem, c.problem) << c.what;
        }
        EXPECT_EQ(fs::symlink_status(path_).type(), before) << c.what;
    }

    // The largest file allowed is still read.
    put("\"" + std::string(ScoreFile::maximumBytes - 10, 'n') + "\"\r\n\"12\"\r\n");
    const ScoreReadResult largest = ScoreFile(path_).read();
    EXPECT_EQ(largest.status, ScoreReadResult::Status::Ok) << largest.problem;
    EXPECT_EQ(largest.record.name.size(), ScoreFile::maximumBytes - 10);
}

// A save copied the old file's mode, so a record of mode 000 stayed unreadable for the player.
TEST_F(ScoreFileTest, theSavedRecordIsAlwaysReadableAndWritableByItsOwner)
{
    using fs::perms;
    struct Case {
        std::optional<perms> old;  // nullopt: no file before
        mode_t umask;
        perms saved;
    };
    const Case cases[] = {
        {perms::none, 022, perms::owner_read | perms::owner_write},
        {perms::owner_read | perms::group_read | perms::others_read, 022,
         perms::owner_read | perms::owner_write | perms::group_read | perms::others_read},
        {perms::owner_read | perms::owner_write | perms::group_read, 022,
         perms::owner_read | perms::owner_write | perms::group_read},
        {std::nullopt, 022, perms::owner_read | perms::owner_write | perms::group_read | perms::others_read},
        {std::nullopt, 0277, perms::owner_read | perms::owner_write},
    };
    for (const Case& c : cases) {
        fs::remove(path_);
        if (c.old) {
            put("\"old\"\r\n\"5000\"\r\n");
            fs::permissions(path_, *c.old);
        }
        const mode_t savedUmask = ::umask(c.umask);
        const std::optional<std::string> problem = ScoreFile(path_).write({"new", "4970"});
        ::umask(savedUmask);
        ASSERT_EQ(problem, std::nullopt);
        EXPECT_EQ(fs::status(path_).permissions(), c.saved) << "old mode " << (c.old ? int(*c.old) : -1);
        EXPECT_EQ(bytes(), "\"new\"\r\n\"4970\"\r\n");
    }
}

// Two copies of the game in one folder: each window compared its score with the file long
// before its player pressed OK.
TEST_F(ScoreFileTest, aBetterRecordSavedMeanwhileIsKeptAndTheWorseOneRefusedWithAMessage)
{
    struct Case {
        std::string onFile;  // what the other copy saved meanwhile; empty: no file
        std::string saved;
        bool replaced;
    };
    const Case cases[] = {
        {"\"other\"\r\n\"3000\"\r\n", "4970", false},
        {"\"other\"\r\n\"4970\"\r\n", "4970", true},  // the same record rewritten from the menu
        {"\"other\"\r\n\"6000\"\r\n", "4970", true},
        {"\"other\"\r\n\"3000\"\r\n", "0", false},    // 0 is no record at all
        {"\"other\"\r\n\"0\"\r\n", "4970", true},
        {"\"other\"\r\n\"-5\"\r\n", "4970", true},    // damaged records are replaced
        {"\"other\"\r\n\"abc\"\r\n", "4970", true},
        {"", "4970", true},
    };
    const ScoreFile mine(path_);
    const ScoreFile theOtherCopy(path_);
    for (const Case& c : cases) {
        fs::remove(path_);
        if (!c.onFile.empty())
            put(c.onFile);
        const std::optional<std::string> problem = mine.write({"mine", c.saved});
        if (c.replaced) {
            EXPECT_EQ(problem, std::nullopt) << c.onFile;
            EXPECT_EQ(bytes(), "\"mine\"\r\n\"" + c.saved + "\"\r\n");
        } else {
            EXPECT_EQ(problem, path_ + " には、この記録より良い記録（other　3000）が後から保存されています。"
                                       "この記録は保存しません。");
            EXPECT_EQ(bytes(), c.onFile);
        }
    }
    ASSERT_EQ(theOtherCopy.write({"other", "3000"}), std::nullopt);
    EXPECT_NE(mine.write({"mine", "4970"}), std::nullopt);
    EXPECT_EQ(bytes(), "\"other\"\r\n\"3000\"\r\n");
}

// Many copies saving at the same moment: whatever the order, the best one must be what stays.
TEST_F(ScoreFileTest, copiesSavingAtOnceInOneFolderLeaveTheBestRecord)
{
    put("\"old\"\r\n\"9999\"\r\n");
    constexpr int copies = 8;
    int go[2];
    ASSERT_EQ(::pipe(go), 0);
    std::vector<pid_t> children;
    for (int i = 0; i < copies; ++i) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(go[1]);
            char byte;
            while (::read(go[0], &byte, 1) < 0) {
            }
            // The best score is written by a copy in the middle of the pack.
            const std::string score = std::to_string(5000 + ((i * 5 + 3) % copies));
            ScoreFile(path_).write({"copy" + std::to_string(i), score});
            ::_exit(0);
        }
        children.push_back(child);
    }
    ::close(go[0]);
    ::close(go[1]);  // all copies start at once
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status));
    }
    EXPECT_EQ(bytes(), "\"copy1\"\r\n\"5000\"\r\n");
    EXPECT_EQ(directoryEntries(), std::vector<std::string>{"score.dat"});
}

// A copy holding the folder's lock (here stopped in the middle) is waited for only briefly; once
// it is killed, its lock is gone with it.
TEST_F(ScoreFileTest, aSaveWaitsBrieflyForAnotherCopysLockWhichDiesWithItsProcess)
{
    put("\"old\"\r\n\"5000\"\r\n");
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t holder = ::fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        const int fd = ::open(directory_.c_str(), O_RDONLY | O_DIRECTORY);
        ::flock(fd, LOCK_EX);
        ::write(ready[1], "x", 1);
        for (;;)
            ::pause();
    }
    char byte;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    ::close(ready[0]);
    ::close(ready[1]);

    EXPECT_EQ(ScoreFile(path_).write({"new", "4970"}),
              path_ + " はほかの Zumikko が保存中のため、保存できませんでした。もう一度 OK を押してください。");
    EXPECT_EQ(bytes(), "\"old\"\r\n\"5000\"\r\n");

    ::kill(holder, SIGKILL);
    ASSERT_EQ(::waitpid(holder, nullptr, 0), holder);
    EXPECT_EQ(ScoreFile(path_).write({"new", "4970"}), std::nullopt);
    EXPECT_EQ(bytes(), "\"new\"\r\n\"4970\"\r\n");
}

TEST_F(ScoreFileTest, aSaveRemovesOnlyItsOwnLeftoverTemporaryFilesOfProcessesThatAreGone)
{
    const pid_t gone = ::fork();
    ASSERT_GE(gone, 0);
    if (gone == 0)
        ::_exit(0);
    ASSERT_EQ(::waitpid(gone, nullptr, 0), gone);
    const std::string dead = std::to_string(gone);
    const std::string alive = std::to_string(::getpid());

    const std::vector<std::string> leftovers = {"score.dat." + dead + ".0.tmp", "score.dat." + dead + ".17.tmp"};
    std::vector<std::string> kept = {
        "score.dat",
        "score.dat." + alive + ".0.tmp",  // a save that may still be running
        "score.dat." + dead + ".tmp",
        "score.dat." + dead + ".0.tmp.bak",
        "score.dat.x" + dead + ".0.tmp",
        "score.dat.bak",
        "other.dat." + dead + ".0.tmp",
        "notes.txt",
    };
    for (const std::string& name : leftovers)
        std::ofstream(directory_ / name) << "\"half";
    for (const std::string& name : kept)
        std::ofstream(directory_ / name) << "\"old\"\r\n\"5000\"\r\n";

    ASSERT_EQ(ScoreFile(path_).write({"new", "4970"}), std::nullopt);

    std::vector<std::string> entries = directoryEntries();
    std::sort(entries.begin(), entries.end());
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(entries, kept);
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
