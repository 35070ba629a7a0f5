#include "platform/PlayerFolders.h"
#include "record/RecordLocation.h"
#include "record/ScoreFile.h"

#include "tests/record/AsOrdinaryUser.h"
#include "tests/record/ScoreDirectory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <functional>
#include <latch>
#include <optional>
#include <sys/stat.h>
#include <thread>
#include <sys/wait.h>
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
        if (fs::is_directory(player)) {
            EXPECT_EQ(entries(player), std::vector<std::string>{}) << c.what << ": no temporary file is left";
        }
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

// Where the record goes for each program folder and each state of XDG_DATA_HOME. A relative
// XDG_DATA_HOME would put it under whatever folder the game was started from; the convention says
// to ignore it.
TEST_F(RecordLocationTest, theRecordsPlaceForEachProgramFolderAndDataHome)
{
    const fs::path home = scratch.directory() / "home";
    const fs::path xdg = scratch.directory() / "xdg";
    const std::string xdgText = xdg.string() + "/";
    const std::string homeText = home.string();
    enum class Program { WritableWithRecord, ReadOnlyWithRecord, WithoutRecord };
    struct Case {
        Program program;
        const char* xdgDataHome;  // nullptr: unset
        fs::path expected;
    };
    const fs::path inProgram = program / "score.dat";
    const fs::path inXdg = xdg / "zumikko" / "score.dat";
    const fs::path inHome = home / ".local" / "share" / "zumikko" / "score.dat";
    const Case cases[] = {
        {Program::WritableWithRecord, xdgText.c_str(), inProgram},
        {Program::WritableWithRecord, nullptr, inProgram},
        {Program::WritableWithRecord, "", inProgram},
        {Program::WritableWithRecord, "relative/data", inProgram},
        {Program::ReadOnlyWithRecord, xdgText.c_str(), inXdg},
        {Program::ReadOnlyWithRecord, nullptr, inHome},
        {Program::ReadOnlyWithRecord, "", inHome},
        {Program::ReadOnlyWithRecord, "relative/data", inHome},
        {Program::WithoutRecord, xdgText.c_str(), inXdg},
        {Program::WithoutRecord, nullptr, inHome},
        {Program::WithoutRecord, "", inHome},
        {Program::WithoutRecord, "relative/data", inHome},
    };
    for (const Case& c : cases) {
        for (const fs::path& folder : {home, xdg, program})
            fs::remove_all(folder);
        fs::create_directories(program);
        if (c.program != Program::WithoutRecord)
            write(program / "score.dat", "\"abc\"\r\n\"1234\"\r\n");
        fs::permissions(scratch.directory(), fs::perms::all);
        if (c.program == Program::WritableWithRecord)
            fs::permissions(program, fs::perms::all);
        if (c.program == Program::ReadOnlyWithRecord)
            fs::permissions(program, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read
                                         | fs::perms::others_exec);
        const std::string playerDirectory = PlayerFolders::recordDirectory({c.xdgDataHome, homeText.c_str(), {}});
        // root may write anywhere; the program folder is read-only only to an ordinary user.
        int pipeEnds[2];
        ASSERT_EQ(::pipe(pipeEnds), 0);
        const int status = exitStatusAsOrdinaryUser([&] {
            const std::string path = RecordLocation::choose(program.string(), playerDirectory, delivered.string()).path();
            return ::write(pipeEnds[1], path.data(), path.size()) == static_cast<ssize_t>(path.size()) ? 0 : 1;
        });
        ::close(pipeEnds[1]);
        char buffer[4096];
        const ssize_t length = ::read(pipeEnds[0], buffer, sizeof buffer);
        ::close(pipeEnds[0]);
        fs::permissions(program, fs::perms::owner_all);
        ASSERT_EQ(status, 0);
        EXPECT_EQ(std::string(buffer, length > 0 ? length : 0), c.expected.string())
            << int(c.program) << " XDG_DATA_HOME=" << (c.xdgDataHome ? c.xdgDataHome : "(unset)");
        EXPECT_TRUE(fs::is_regular_file(c.expected)) << c.expected;
    }
}

// Saves and first copies killed halfway leave temporary files beside the record; the start-up
// clears those whose writer has ended, even if no record is ever saved again.
TEST_F(RecordLocationTest, choosingTheRecordClearsTheLeftoversOfKilledWritersBesideIt)
{
    const pid_t gone = ::fork();
    ASSERT_GE(gone, 0);
    if (gone == 0)
        ::_exit(0);
    ASSERT_EQ(::waitpid(gone, nullptr, 0), gone);
    for (const fs::path& folder : {program, player}) {
        fs::remove_all(player);
        fs::create_directories(folder);
        write(folder / "score.dat", "\"abc\"\r\n\"1234\"\r\n");
        for (const char* suffix : {".0.tmp", ".3.new"})
            write(folder / ("score.dat." + std::to_string(gone) + suffix), "\"half");
        const RecordLocation location = choose();
        EXPECT_EQ(location.path(), (folder / "score.dat").string());
        EXPECT_EQ(entries(folder), std::vector<std::string>{"score.dat"}) << folder;
        fs::remove(program / "score.dat");
    }
}

// XDG_DATA_HOME naming a file: one message at start, and reading the record there afterwards
// (at every game's end) finds no record rather than a second message for the same cause.
TEST_F(RecordLocationTest, aDataHomeThatIsAFileIsReportedOnceOnly)
{
    const fs::path file = scratch.directory() / "not a folder";
    write(file, "x");
    const RecordLocation location =
        RecordLocation::choose(program.string(), PlayerFolders::recordDirectory({file.c_str(), nullptr, {}}), delivered.string());
    EXPECT_NE(location.problem(), "");
    EXPECT_NE(location.problem().find(file.string()), std::string::npos) << location.problem();
    const ScoreReadResult read = ScoreFile(location.path()).read();
    EXPECT_EQ(read.status, ScoreReadResult::Status::Missing) << read.problem;
}

} // namespace
