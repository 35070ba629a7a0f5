#include "platform/PlayerFolders.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace {

bool isAbsolute(const char* path) { return path != nullptr && path[0] == '/'; }

std::string withoutTrailingSlashes(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

std::optional<std::string> homeOfThisUser()
{
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry {};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr
        || !isAbsolute(found->pw_dir))
        return std::nullopt;
    return std::string(found->pw_dir);
}

// <xdg>/zumikko, else <home>/<belowHome>/zumikko.
std::string folderOf(const char* xdg, const char* belowHome, const PlayerFolders::Environment& environment)
{
    if (isAbsolute(xdg))
        return withoutTrailingSlashes(xdg) + "/zumikko";
    std::optional<std::string> home;
    if (isAbsolute(environment.home))
        home = environment.home;
    else if (environment.homeFromUserDatabase)
        home = environment.homeFromUserDatabase();
    if (!home)
        return {};
    const std::string base = withoutTrailingSlashes(*home);
    return (base == "/" ? "" : base) + belowHome + "/zumikko";
}

PlayerFolders::Environment ofThisProcess()
{
    return {std::getenv("XDG_DATA_HOME"), std::getenv("HOME"), homeOfThisUser, std::getenv("XDG_CACHE_HOME")};
}

} // namespace

std::string PlayerFolders::recordDirectory(const Environment& environment)
{
    return folderOf(environment.xdgDataHome, "/.local/share", environment);
}

std::string PlayerFolders::cacheDirectory(const Environment& environment)
{
    return folderOf(environment.xdgCacheHome, "/.cache", environment);
}

std::string PlayerFolders::recordDirectoryOfThisProcess()
{
    return recordDirectory(ofThisProcess());
}

std::string PlayerFolders::cacheDirectoryOfThisProcess()
{
    return cacheDirectory(ofThisProcess());
}
