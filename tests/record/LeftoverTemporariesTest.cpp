#include "platform/LeftoverTemporaries.h"

#include "tests/record/AsOrdinaryUser.h"
#include "tests/record/ScoreDirectory.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace fs = std::filesystem;

namespace {

pid_t pidOfAnEndedProcess()
{
    const pid_t gone = ::fork();
    if (gone == 0)
        ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    return gone;
}

// Removed: files of the writer's naming whose writer has ended. Kept: everything else, above
// all a write still in progress, even one by another user's process that cannot be signalled.
TEST(LeftoverTemporariesTest, removesOnlyTheTemporaryFilesOfWritersThatHaveEnded)
{
    ScoreDirectory scratch;
    fs::permissions(scratch.directory(), fs::perms::all);
    const std::string gone = std::to_string(pidOfAnEndedProcess());
    // Alive, and (to the ordinary user that cleans up) another user's: kill() says EPERM.
    const std::string othersWriter = std::to_string(::geteuid() == 0 ? ::getpid() : 1);

    const std::vector<std::string> removed = {"score.dat." + gone + ".0.tmp", "score.dat." + gone + ".17.tmp",
                                              "score.dat." + gone + ".0.new"};
    std::vector<std::string> kept = {
        "score.dat",
        "score.dat." + othersWriter + ".0.tmp",
        "score.dat." + othersWriter + ".0.new",
        "score.dat." + gone + ".tmp",
        "score.dat." + gone + ".0.tmp.bak",
        "score.dat.x" + gone + ".0.tmp",
        "score.dat.12345678901234567890.0.tmp",
        "other.dat." + gone + ".0.tmp",
        "notes.txt",
    };
    for (const std::string& name : removed)
        std::ofstream(scratch.directory() / name) << "\"half";
    for (const std::string& name : kept)
        std::ofstream(scratch.directory() / name) << "\"old\"\r\n\"5000\"\r\n";

    const int status = exitStatusAsOrdinaryUser([&] {
        // The cleaner's own write in progress is kept too.
        const fs::path own = scratch.directory() / ("score.dat." + std::to_string(::getpid()) + ".0.tmp");
        std::ofstream(own) << "\"half";
        LeftoverTemporaries::removeBeside(scratch.scoreFile());
        const bool ownKept = fs::exists(own);
        fs::remove(own);
        return ownKept ? 0 : 1;
    });
    EXPECT_EQ(status, 0) << "the cleaner's own temporary file was removed";

    std::vector<std::string> entries = scratch.entries();
    std::sort(entries.begin(), entries.end());
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(entries, kept);
}

} // namespace
