#include "platform/DataDirectory.h"

#include <filesystem>
#include <system_error>

namespace {

bool holdsDataFiles(const std::filesystem::path& directory)
{
    std::error_code ignored;
    for (const char* name : {"start.wav", "kaiten.wav", "bgm.mid", "goal.mid"})
        if (std::filesystem::is_regular_file(directory / name, ignored))
            return true;
    return false;
}

} // namespace

std::string DataDirectory::find(const std::string& programDirectory, const std::string& relativeDataDirectory)
{
    const std::filesystem::path program(programDirectory);
    if (holdsDataFiles(program) || relativeDataDirectory.empty())
        return programDirectory;
    const std::filesystem::path installed = (program / relativeDataDirectory).lexically_normal();
    if (holdsDataFiles(installed)) {
        std::string found = installed.string();
        while (found.size() > 1 && found.back() == '/')
            found.pop_back();
        return found;
    }
    return programDirectory;
}
