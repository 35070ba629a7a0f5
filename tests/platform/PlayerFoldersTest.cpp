#include "platform/PlayerFolders.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <optional>
#include <string>

namespace {

// An XDG value counts only as an absolute path; without HOME, or with one that is not an
// absolute path, the home comes from the user database; without either there is no folder at
// all (never "//.local/share"). Both folders follow the one rule.
TEST(PlayerFoldersTest, eachFolderFollowsAnAbsoluteXdgValueElseTheHomeFromHomeOrTheUserDatabase)
{
    const auto database = [] { return std::optional<std::string>("/home/from-passwd"); };
    const auto noEntry = [] { return std::optional<std::string>(); };
    struct Case {
        const char* xdg;
        const char* home;
        std::function<std::optional<std::string>()> userDatabase;
        std::string underHome;  // the folder below the home, or the whole path when xdg counts
    };
    const Case cases[] = {
        {"/xdg/", "/home/player", database, "/xdg/zumikko"},
        {nullptr, "/home/player/", database, "/home/player/@/zumikko"},
        {"relative/xdg", "/home/player", database, "/home/player/@/zumikko"},
        {nullptr, nullptr, database, "/home/from-passwd/@/zumikko"},
        {nullptr, "", database, "/home/from-passwd/@/zumikko"},
        {"", "relative", database, "/home/from-passwd/@/zumikko"},
        {nullptr, "/", database, "/@/zumikko"},
        {nullptr, nullptr, noEntry, ""},
        {nullptr, nullptr, {}, ""},
    };
    const auto expected = [](std::string path, const std::string& below) {
        if (const auto at = path.find('@'); at != std::string::npos)
            path.replace(at, 1, below);
        return path;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.xdg ? c.xdg : "-") + " " + (c.home ? c.home : "-"));
        EXPECT_EQ(PlayerFolders::recordDirectory({c.xdg, c.home, c.userDatabase, "/other"}),
                  expected(c.underHome, ".local/share"));
        EXPECT_EQ(PlayerFolders::cacheDirectory({"/other", c.home, c.userDatabase, c.xdg}),
                  expected(c.underHome, ".cache"));
    }
}

TEST(PlayerFoldersTest, thisProcessesFoldersComeFromItsEnvironment)
{
    struct Saved {
        const char* name;
        std::optional<std::string> value;
    };
    std::vector<Saved> saved;
    for (const char* name : {"XDG_DATA_HOME", "XDG_CACHE_HOME"}) {
        const char* value = std::getenv(name);
        saved.push_back({name, value ? std::optional<std::string>(value) : std::nullopt});
    }
    ::setenv("XDG_DATA_HOME", "/var/data", 1);
    ::setenv("XDG_CACHE_HOME", "/var/cache", 1);

    EXPECT_EQ(PlayerFolders::recordDirectoryOfThisProcess(), "/var/data/zumikko");
    EXPECT_EQ(PlayerFolders::cacheDirectoryOfThisProcess(), "/var/cache/zumikko");

    for (const Saved& variable : saved) {
        if (variable.value)
            ::setenv(variable.name, variable.value->c_str(), 1);
        else
            ::unsetenv(variable.name);
    }
}

} // namespace
