#include "platform/DataDirectory.h"
#include "platform/ProgramDirectory.h"
#include "record/RecordLocation.h"
#include "record/ScoreFile.h"

#include "tests/fakes/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

// "z\xE9" is Latin-1 for "zé": what unpacking an archive made on another system gives, and not
// UTF-8. A conversion to text would drop or replace the byte and point at another folder.
TEST(ProgramDirectory, theExecutablesFolderIsKeptAsBytes)
{
    struct Case {
        std::string executable;
        std::string folder;
    };
    const Case cases[] = {
        {"/opt/z\xE9/bin/zumikko", "/opt/z\xE9/bin"},
        {"/opt/\x82\xA0\xFF/zumikko", "/opt/\x82\xA0\xFF"},
        {"/home/p/zumikko (deleted)", "/home/p"},  // rebuilt while it runs
        {"/zumikko", "/"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ProgramDirectory::ofExecutable(c.executable), c.folder) << c.executable;
    EXPECT_TRUE(fs::is_directory(ProgramDirectory::ofThisProcess()));
}

TEST(ProgramDirectory, aFolderWhoseNameIsNotUtf8HoldsTheSoundsAndTheRecord)
{
    TemporaryDirectory root;
    const std::string program = ProgramDirectory::ofExecutable(root.path() + "/z\xE9/zumikko");
    fs::create_directories(program);
    for (const char* name : {"start.wav", "kaiten.wav", "bgm.mid", "goal.mid"})
        std::ofstream(program + "/" + name) << "x";
    std::ofstream(program + "/score.dat", std::ios::binary) << "\"abc\"\r\n\"1234\"\r\n";

    const std::string data = DataDirectory::find(program, "../share/zumikko");
    EXPECT_EQ(data, program);
    const RecordLocation location = RecordLocation::choose(program, root.path() + "/home/zumikko", data + "/score.dat");
    EXPECT_EQ(location.path(), program + "/score.dat");
    const ScoreFile record(location.path());
    ASSERT_EQ(record.write({"new", "1000"}), std::nullopt);
    EXPECT_EQ(record.read().record.name, "new");
    EXPECT_FALSE(fs::exists(root.path() + "/home"));
}

} // namespace
