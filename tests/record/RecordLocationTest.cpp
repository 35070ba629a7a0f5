#include "record/RecordLocation.h"

#include "tests/record/ScoreDirectory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <functional>
#include <latch>
#include <optional>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const std::string kDelivered = "\"\"\r\n\"0\"\r\n";

std::string contents(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void write(const fs::path& file, const std::string& bytes) { std::ofstream(file, std::ios::binary) << bytes; }

std::vector<std::string> entries(const fs::path& directory)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(directory))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The program's folder, the installed data folder with the delivered record, and the player's
// data home, all in one scratch folder.
struct RecordLocationTest : ::testing::Test {
    RecordLocationTest()
    {
        fs::create_directories(program);
        fs::create_directories(data);
        write(delivered, kDelivered);
    }
    RecordLocation choose() const { return RecordLocation::choose(program.string(), player.string(), delivered.string()); }

    ScoreDirectory scratch;
    const fs::path program = scratch.directory() / "bin";
    const fs::path data = scratch.directory() / "share" / "zumikko";
    const fs::path delivered = data / "score.dat";
    const fs::path player = scratch.directory() / "home" / ".local" / "share" / "zumikko";
};

TEST_F(RecordLocationTest, aWritableProgramFolderWithARecordKeepsItThereAndTouchesNoHome)
{
    write(program / "score.dat", "\"abc\"\r\n\"1234\"\r\n");
    const RecordLocation location = choose();
    EXPECT_EQ(location.path(), (program / "score.dat").string());
    EXPECT_EQ(location.problem(), "");
    EXPECT_FALSE(fs::exists(scratch.directory() / "home"));
}

TEST_F(RecordLocationTest, withoutARecordBesideTheProgramThePlayerGetsACopyOfTheDeliveredOne)
{
    struct Case {
        const char* what;
        std::optional<std::string> beside;  // what lies beside the program under score.dat
    };
    const Case cases[] = {
        {"no score.dat beside the program", std::nullopt},
        {"a folder named score.dat", "folder"},
    };
    for (const Case& c : cases) {
        fs::remove_all(scratch.directory() / "home");
        fs::remove_all(program / "score.dat");
        if (c.beside)
            fs::create_directory(program / "score.dat");
        const RecordLocation location = choose();
        EXPECT_EQ(location.path(), (player / "score.dat").string()) << c.what;
        EXPECT_EQ(location.problem(), "") << c.what;
        EXPECT_EQ(contents(player / "score.dat"), kDelivered) << c.what;
        EXPECT_EQ(entries(player), std::vector<std::string>{"score.dat"}) << c.what;
        // Private to the player, as the XDG base directories are.
        EXPECT_EQ(fs::status(player).permissions() & fs::perms::all, fs::perms::owner_all) << c.what;
        EXPECT_EQ(contents(delivered), kDelivered) << c.what;
    }
}

TEST_F(RecordLocationTest, aRecordThePlayerAlreadyHasIsNeverReplaced)
{
    fs::create_directories(player);
    const std::string own = "\"abc\"\r\n\"1234\"\r\n";
    write(player / "score.dat", own);
    const RecordLocation location = choose();
    EXPECT_EQ(location.path(), (player / "score.dat").string());
    EXPECT_EQ(contents(player / "score.dat"), own);
    EXPECT_EQ(entries(player), std::vector<std::string>{"score.dat"});
}

TEST_F(RecordLocationTest, aReadOnlyProgramFolderKeepsTheRecordInThePlayersHome)
{
    write(program / "score.dat", "\"old\"\r\n\"99\"\r\n");
    fs::permissions(scratch.directory(), fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    fs::permissions(program, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_exec
                                 | fs::perms::others_exec | fs::perms::group_read | fs::perms::others_read);
    fs::create_directories(scratch.directory() / "home");
    fs::permissions(scratch.directory() / "home", fs::perms::all);
    // root may write anywhere; the folder is read-only only to an ordinary user.
    const bool asRoot = ::geteuid() == 0;
    if (asRoot) {
        ASSERT_EQ(::seteuid(65534), 0);
    }
    const RecordLocation location = RecordLocation::choose(program.string(), player.string(), (program / "score.dat").string());
    if (asRoot) {
        ASSERT_EQ(::seteuid(0), 0);
    }
    fs::permissions(program, fs::perms::owner_all);
    EXPECT_EQ(location.path(), (player / "score.dat").string());
    EXPECT_EQ(location.problem(), "");
    EXPECT_EQ(contents(player / "score.dat"), "\"old\"\r\n\"99\"\r\n");
}

TEST_F(RecordLocationTest, troubleMakingTheRecordIsReportedUnderTheRecordsOwnName)
{
    struct Case {
        const char* what;
        std::function<void()> arrange;
        bool recordAppears;
        std::string problemPart;
    };
    const Case cases[] = {
        {"no delivered record: the game starts with none", [&] { fs::remove(delivered); }, false, ""},
        {"the delivered record is a FIFO",
         [&] {
             fs::remove(delivered);
             ASSERT_EQ(::mkfifo(delivered.c_str(), 0644), 0);
         },
         false, delivered.string()},
        {"the delivered record is far too large",
         [&] { write(delivered, std::string(100 * 1024, 'x')); }, false, delivered.string()},
        {"the player's data home is a file",
         [&] {
             fs::create_directories(player.parent_path());
             write(player, "not a folder");
         },
         false, (player / "score.dat").string()},
    };
    for (const Case& c : cases) {
        fs::remove_all(scratch.directory() / "home");
        fs::remove_all(delivered);
        write(delivered, kDelivered);
        c.arrange();
        const RecordLocation location = choose();
        EXPECT_EQ(location.path(), (player / "score.dat").string()) << c.what;
        if (c.problemPart.empty()) {
            EXPECT_EQ(location.problem(), "") << c.what;
        } else {
            EXPECT_NE(location.problem().find(c.problemPart), std::string::npos) << c.what << ": " << location.problem();
        }
        EXPECT_EQ(fs::is_regular_file(player / "score.dat"), c.recordAppears) << c.what;
        if (fs::is_directory(player))
            EXPECT_EQ(entries(player), std::vector<std::string>{}) << c.what << ": no temporary file is left";
    }
}

TEST_F(RecordLocationTest, copiesStartedTogetherAllFindOneWholeRecord)
{
    constexpr int copies = 8;
    const std::string own = "\"abc\"\r\n\"1234\"\r\n";
    for (int round = 0; round < 20; ++round) {
        fs::remove_all(scratch.directory() / "home");
        std::vector<std::thread> threads;
        std::vector<std::string> seen(copies);
        std::latch start(copies);
        for (int i = 0; i < copies; ++i)
            threads.emplace_back([&, i] {
                start.arrive_and_wait();
                const RecordLocation location = choose();
                seen[i] = location.problem().empty() ? contents(location.path()) : location.problem();
            });
        for (std::thread& thread : threads)
            thread.join();
        for (const std::string& bytes : seen)
            ASSERT_EQ(bytes, kDelivered) << "round " << round;
        ASSERT_EQ(entries(player), std::vector<std::string>{"score.dat"}) << "round " << round;
    }
    // A record saved meanwhile by another copy stays.
    write(player / "score.dat", own);
    choose();
    EXPECT_EQ(contents(player / "score.dat"), own);
}

} // namespace
