#include "platform/ProgramDirectory.h"

#include "platform/FilePath.h"

#include <climits>
#include <unistd.h>

std::string ProgramDirectory::ofThisProcess()
{
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer);
    if (length <= 0 || static_cast<std::size_t>(length) == sizeof buffer)
        return ".";
    return ofExecutable(std::string(buffer, static_cast<std::size_t>(length)));
}

std::string ProgramDirectory::ofExecutable(std::string executablePath)
{
    constexpr std::string_view deleted = " (deleted)";
    if (executablePath.size() > deleted.size()
        && executablePath.compare(executablePath.size() - deleted.size(), deleted.size(), deleted) == 0)
        executablePath.resize(executablePath.size() - deleted.size());
    return FilePath::directoryOf(executablePath);
}
