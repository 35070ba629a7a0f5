#include "platform/DataDirectory.h"

#include "tests/fakes/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

namespace fs = std::filesystem;

namespace {

TEST(DataDirectory, soundsBesideTheProgramWinElseTheInstalledFolderFoundFromTheProgram)
{
    struct Case {
        const char* what;
        std::vector<const char*> beside;     // files in <root>/bin, the program's folder
        std::vector<const char*> installed;  // files in <root>/share/zumikko
        const char* expected;                // relative to <root>
    };
    const Case cases[] = {
        {"a build folder", {"start.wav", "kaiten.wav", "bgm.mid", "goal.mid", "score.dat"}, {}, "bin"},
        {"a copied folder missing some sounds", {"bgm.mid"}, {"start.wav", "bgm.mid"}, "bin"},
        {"an installed program", {}, {"start.wav", "kaiten.wav", "bgm.mid", "goal.mid", "score.dat"}, "share/zumikko"},
        {"a record alone beside the program is not the data", {"score.dat"}, {"goal.mid"}, "share/zumikko"},
        {"nothing anywhere: the program's folder, silent", {}, {}, "bin"},
        {"an installed folder without sounds", {}, {"score.dat"}, "bin"},
    };
    for (const Case& c : cases) {
        TemporaryDirectory root;
        const fs::path bin = fs::path(root.path()) / "bin";
        const fs::path share = fs::path(root.path()) / "share" / "zumikko";
        fs::create_directories(bin);
        fs::create_directories(share);
        for (const char* name : c.beside)
            std::ofstream(bin / name) << "x";
        for (const char* name : c.installed)
            std::ofstream(share / name) << "x";
        EXPECT_EQ(DataDirectory::find(bin.string(), "../share/zumikko"), (fs::path(root.path()) / c.expected).string())
            << c.what;
    }
}

TEST(DataDirectory, aSoundFileNameThatIsAFolderIsNoSoundFile)
{
    TemporaryDirectory root;
    const fs::path bin = fs::path(root.path()) / "bin";
    const fs::path share = fs::path(root.path()) / "share" / "zumikko";
    fs::create_directories(bin / "bgm.mid");
    fs::create_directories(share);
    std::ofstream(share / "bgm.mid") << "x";
    EXPECT_EQ(DataDirectory::find(bin.string(), "../share/zumikko"), share.string());
}

} // namespace
