#include "platform/LeftoverTemporaries.h"

#include "platform/FilePath.h"
#include "platform/TemporaryName.h"

#include <cerrno>
#include <csignal>
#include <dirent.h>
#include <unistd.h>
#include <vector>

namespace {

bool hasEnded(pid_t writer) { return ::kill(writer, 0) != 0 && errno == ESRCH; }

} // namespace

void LeftoverTemporaries::removeBeside(const std::string& target)
{
    const std::string directoryPath = FilePath::directoryOf(target);
    DIR* directory = ::opendir(directoryPath.c_str());
    if (directory == nullptr)
        return;
    const std::string baseName = FilePath::baseNameOf(target);
    std::vector<std::string> leftovers;
    while (const dirent* entry = ::readdir(directory)) {
        const std::optional<pid_t> writer = TemporaryName::writerOf(entry->d_name, baseName);
        if (writer && hasEnded(*writer))
            leftovers.emplace_back(entry->d_name);
    }
    ::closedir(directory);
    for (const std::string& leftover : leftovers)
        ::unlink((directoryPath + "/" + leftover).c_str());
}
