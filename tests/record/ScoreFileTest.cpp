#include "record/RecordFormat.h"
#include "record/ScoreFile.h"

#include "tests/fakes/FileSizeLimit.h"
#include "tests/record/AsOrdinaryUser.h"
#include "tests/record/ScoreDirectory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
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
         [&] { put("\"" + std::string(RecordFormat::maximumBytes - 9, 'n') + "\"\r\n\"12\"\r\n"); },
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
    put("\"" + std::string(RecordFormat::maximumBytes - 10, 'n') + "\"\r\n\"12\"\r\n");
    const ScoreReadResult largest = ScoreFile(path_).read();
    EXPECT_EQ(largest.status, ScoreReadResult::Status::Ok) << largest.problem;
    EXPECT_EQ(largest.record.name.size(), RecordFormat::maximumBytes - 10);
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

    // The waiting is counted, not timed: about a second, so that a copy saving at the same
    // moment gets its turn, and no more, so that a stopped one cannot freeze the window.
    std::chrono::milliseconds waited{0};
    const ScoreFile counted(path_, [&waited](std::chrono::milliseconds pause) { waited += pause; });
    EXPECT_EQ(counted.write({"new", "4970"}),
              path_ + " はほかの Zumikko が保存中のため、保存できませんでした。もう一度 OK を押してください。");
    EXPECT_GE(waited, std::chrono::milliseconds(900));
    EXPECT_LE(waited, std::chrono::milliseconds(1100));
    EXPECT_EQ(bytes(), "\"old\"\r\n\"5000\"\r\n");
    // With the real pause the save also gives up (a loose bound: the machine may be busy).
    const auto start = std::chrono::steady_clock::now();
    EXPECT_NE(ScoreFile(path_).write({"new", "4970"}), std::nullopt);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));

    ::kill(holder, SIGKILL);
    ASSERT_EQ(::waitpid(holder, nullptr, 0), holder);
    EXPECT_EQ(ScoreFile(path_).write({"new", "4970"}), std::nullopt);
    EXPECT_EQ(bytes(), "\"new\"\r\n\"4970\"\r\n");
}

// Through a link, the folder that is locked is the one where the file is replaced: the target's.
TEST_F(ScoreFileTest, aSaveThroughALinkTakesTheLockOfTheTargetsFolder)
{
    const fs::path synced = directory_ / "synced";
    fs::create_directory(synced);
    std::ofstream(synced / "score.dat", std::ios::binary) << "\"old\"\r\n\"5000\"\r\n";
    fs::create_symlink("synced/score.dat", path_);
    const int lock = ::open(synced.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(lock, 0);
    // flock() locks per open file: a second open of the folder in this process is kept out too.
    ASSERT_EQ(::flock(lock, LOCK_EX), 0);
    const ScoreFile noWait(path_, [](std::chrono::milliseconds) {});
    EXPECT_NE(noWait.write({"new", "4970"}), std::nullopt);
    ::close(lock);
    EXPECT_EQ(noWait.write({"new", "4970"}), std::nullopt);
    EXPECT_EQ(bytes(), "\"new\"\r\n\"4970\"\r\n");
}

// Which leftovers go is LeftoverTemporaries' rule; here only that a save clears them, beside the
// file it really replaces.
TEST_F(ScoreFileTest, aSaveRemovesLeftoverTemporaryFilesOfEndedWritersBesideTheFileItReplaces)
{
    const pid_t gone = ::fork();
    ASSERT_GE(gone, 0);
    if (gone == 0)
        ::_exit(0);
    ASSERT_EQ(::waitpid(gone, nullptr, 0), gone);
    const fs::path elsewhere = directory_ / "synced";
    fs::create_directory(elsewhere);
    std::ofstream(elsewhere / "score.dat") << "\"old\"\r\n\"5000\"\r\n";
    fs::create_symlink("synced/score.dat", path_);
    for (const char* suffix : {".0.tmp", ".0.new"})
        std::ofstream(elsewhere / ("score.dat." + std::to_string(gone) + suffix)) << "\"half";

    ASSERT_EQ(ScoreFile(path_).write({"new", "4970"}), std::nullopt);

    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(elsewhere))
        left.push_back(entry.path().filename().string());
    EXPECT_EQ(left, std::vector<std::string>{"score.dat"});
}

// A player who keeps the record in a synced folder leaves a link in its place: the save goes to
// the link's final target, in that file's folder, and the links stay links. A link that leads
// nowhere, or round in a circle, or to something that is no file, is named and nothing written.
TEST_F(ScoreFileTest, aSaveGoesThroughSymbolicLinksToTheirFinalTargetOrSaysWhyNot)
{
    const fs::path synced = directory_ / "synced";
    const fs::path target = synced / "record.dat";
    const std::string old = "\"old\"\r\n\"5000\"\r\n";
    struct Case {
        const char* what;
        std::function<void()> arrange;
        std::string problem;  // empty: target holds the new record
    };
    const Case cases[] = {
        {"an absolute link", [&] { fs::create_symlink(target, path_); }, ""},
        {"a relative link", [&] { fs::create_symlink("synced/record.dat", path_); }, ""},
        {"a link to a link in another folder",
         [&] {
             fs::create_directory(directory_ / "hop");
             fs::create_symlink("../synced/record.dat", directory_ / "hop" / "link");
             fs::create_symlink("hop/link", path_);
         },
         ""},
        {"a dangling link", [&] { fs::remove(target); fs::create_symlink(target, path_); },
         path_ + " は存在しないファイル " + target.string() + " へのシンボリックリンクのため、保存できません。"},
        {"a loop",
         [&] {
             fs::create_symlink("score.dat", directory_ / "loop");
             fs::create_symlink("loop", path_);
         },
         path_ + " はシンボリックリンクが循環しているため、保存できません。"},
        {"a link to a device", [&] { fs::create_symlink("/dev/null", path_); },
         path_ + " に保存できませんでした（/dev/null はデバイスで、普通のファイルではありません）。"},
    };
    for (const Case& c : cases) {
        for (const char* name : {"score.dat", "loop", "hop", "synced"})
            fs::remove_all(directory_ / name);
        fs::create_directory(synced);
        std::ofstream(target, std::ios::binary) << old;
        c.arrange();
        const auto before = fs::read_symlink(path_);

        const std::optional<std::string> problem = ScoreFile(path_).write({"new", "4970"});

        EXPECT_EQ(problem.value_or(""), c.problem) << c.what;
        EXPECT_EQ(fs::read_symlink(path_), before) << c.what << ": the link itself stays";
        const std::string expected = c.problem.empty() ? "\"new\"\r\n\"4970\"\r\n" : old;
        if (fs::exists(target)) {
            std::ifstream in(target, std::ios::binary);
            EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), expected) << c.what;
        }
        EXPECT_EQ(fs::exists(target), c.what != std::string("a dangling link")) << c.what << ": nothing created";
        if (c.problem.empty()) {
            EXPECT_EQ(ScoreFile(path_).read().record.name, "new") << c.what;
        }
    }
}

// A folder the player may write into but not list (mode 333) cannot be locked or searched for
// leftovers; the save still goes through, unlocked, as an ordinary user sees it.
TEST_F(ScoreFileTest, aFolderThatCanBeWrittenButNotListedStillTakesTheSave)
{
    const fs::path dropBox = directory_ / "drop box";
    fs::create_directory(dropBox);
    fs::permissions(directory_, fs::perms::all);
    const std::string record = (dropBox / "score.dat").string();
    std::ofstream(record, std::ios::binary) << "\"old\"\r\n\"5000\"\r\n";
    fs::permissions(record, fs::perms::all);
    fs::permissions(dropBox, fs::perms::owner_write | fs::perms::owner_exec | fs::perms::group_write
                                 | fs::perms::group_exec | fs::perms::others_write | fs::perms::others_exec);

    const int status = exitStatusAsOrdinaryUser([&] {
        if (::open(dropBox.c_str(), O_RDONLY | O_DIRECTORY) >= 0)
            return 2;  // listable after all: the case is not what it claims
        return ScoreFile(record).write({"new", "4970"}) == std::nullopt ? 0 : 1;
    });

    fs::permissions(dropBox, fs::perms::owner_all);
    EXPECT_EQ(status, 0);
    std::ifstream in(record, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "\"new\"\r\n\"4970\"\r\n");
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

// Whatever the format refuses is never written: the old record stays as it was.
TEST_F(ScoreFileTest, aRecordTheFormatRefusesIsNotWrittenAndTheOldOneStays)
{
    const ScoreRecord refused[] = {
        {"a\"b", "1"},
        {"abc", "abc"},
        {"abc", ""},
        {std::string(3 * 32768, 'x'), "1"},
    };
    const ScoreFile file(path_);
    for (const ScoreRecord& record : refused) {
        fs::remove(path_);
        EXPECT_EQ(file.write(record), RecordFormat::compose(record, path_).problem) << record.name.substr(0, 10);
        EXPECT_FALSE(fs::exists(path_));
        put("\"old\"\r\n\"5000\"\r\n");
        EXPECT_NE(file.write(record), std::nullopt);
        EXPECT_EQ(bytes(), "\"old\"\r\n\"5000\"\r\n");
    }
    EXPECT_EQ(directoryEntries(), std::vector<std::string>{"score.dat"});
}

TEST_F(ScoreFileTest, savingWhereNoFileCanBeCreatedReportsTheSystemReason)
{
    const std::string nowhere = (directory_ / "no such directory" / "score.dat").string();
    EXPECT_EQ(ScoreFile(nowhere).write({"abc", "1234"}),
              nowhere + " に保存できませんでした（No such file or directory）。");

    fs::create_directories(fs::path(path_) / "inside");
    EXPECT_EQ(ScoreFile(path_).write({"abc", "1234"}),
              path_ + " に保存できませんでした（" + path_ + " はフォルダーで、普通のファイルではありません）。");
    EXPECT_TRUE(fs::is_directory(fs::path(path_) / "inside"));
    EXPECT_EQ(directoryEntries(), std::vector<std::string>{"score.dat"});
}

// Running out of space halfway through the new record must leave the old one whole. A file-size
// limit makes the write fail part of the way in, even for root.
TEST_F(ScoreFileTest, aWriteThatFailsHalfwayLeavesTheOldRecordWholeAndNoTemporaryFile)
{
    const ScoreFile file(path_);
    ASSERT_EQ(file.write({"old", "5000"}), std::nullopt);

    std::optional<std::string> problem;
    {
        const FileSizeLimit limit(8);
        problem = file.write({"a new champion", "4970"});
    }
    EXPECT_EQ(problem, path_ + " に保存できませんでした（File too large）。");
    EXPECT_EQ(bytes(), "\"old\"\r\n\"5000\"\r\n");
    EXPECT_EQ(directoryEntries(), std::vector<std::string>{"score.dat"});
}

} // namespace
