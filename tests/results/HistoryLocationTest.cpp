#include "results/HistoryLocation.h"

#include "fakes/TemporaryDirectory.h"
#include "tests/record/AsOrdinaryUser.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

// What an ordinary user's program is told, as "path|notice|shown": root may write anywhere.
std::string chosenAsOrdinaryUser(const std::string& record, const std::string& program, const std::string& player)
{
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        return "no pipe";
    const int status = exitStatusAsOrdinaryUser([&] {
        const HistoryLocation location = HistoryLocation::choose(record, program, player);
        const std::string said = location.path() + "|" + location.notice() + "|" + location.shown();
        return ::write(pipeEnds[1], said.data(), said.size()) == static_cast<ssize_t>(said.size()) ? 0 : 1;
    });
    ::close(pipeEnds[1]);
    std::string said(8192, '\0');
    const ssize_t length = ::read(pipeEnds[0], said.data(), said.size());
    ::close(pipeEnds[0]);
    said.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    return status == 0 ? said : "status " + std::to_string(status);
}

void touch(const fs::path& path) { std::ofstream(path) << "x"; }

// The history stays beside the record wherever the record is kept; where that folder cannot
// hold it, or a history is left behind in a folder the program can no longer write, the player
// is told where the games go and the results window names the history it shows.
TEST(HistoryLocationTest, theHistoryIsBesideTheRecordOrThePlayerIsToldWhereItWent)
{
    TemporaryDirectory scratch;
    const fs::path root = scratch.path();
    fs::permissions(root, fs::perms::all);
    const fs::path program = root / "program";
    const fs::path home = root / "home";
    const fs::path lockedHome = root / "locked";
    for (const fs::path& folder : {program, home, lockedHome}) {
        fs::create_directory(folder);
        touch(folder / "score.dat");
        fs::permissions(folder, fs::perms::all);
    }
    const std::string p = program.string(), h = home.string(), l = lockedHome.string();
    const std::string other = (root / "other").string();
    fs::permissions(root, fs::perms::all);

    EXPECT_EQ(chosenAsOrdinaryUser(p + "/score.dat", p, h), p + "/history.sqlite3||") << "a writable program folder";

    // The program folder turned read-only with its games in it: the record moved to the player's
    // folder, and so does the history, but not without a word.
    touch(program / "history.sqlite3");
    fs::permissions(program, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read
                                 | fs::perms::others_exec);
    EXPECT_EQ(chosenAsOrdinaryUser(h + "/score.dat", p, h),
              h + "/history.sqlite3|プログラムのフォルダの成績の履歴 " + p + "/history.sqlite3 は、フォルダに書き込めないため使いません。成績は "
                  + h + "/history.sqlite3 に記録し、成績の画面にはそちらの成績を出します。|この画面の成績: " + h
                  + "/history.sqlite3");

    // The record's own folder cannot be written: the history goes to the player's folder.
    fs::permissions(lockedHome, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read
                                    | fs::perms::others_exec);
    EXPECT_EQ(chosenAsOrdinaryUser(l + "/score.dat", other, h),
              h + "/history.sqlite3|記録のあるフォルダ " + l + " には成績の履歴を書き込めないため、履歴は " + h
                  + "/history.sqlite3 に記録します。|この画面の成績: " + h + "/history.sqlite3");
    EXPECT_EQ(chosenAsOrdinaryUser(l + "/score.dat", other, ""), l + "/history.sqlite3||")
        << "with nowhere else to go, the history's own message says why it cannot be written";
    fs::permissions(program, fs::perms::owner_all);
    fs::permissions(lockedHome, fs::perms::owner_all);
}

} // namespace
