#include "results/HistoryLocation.h"

#include "platform/FilePath.h"
#include "platform/PrivateDirectory.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* kFileName = "/history.sqlite3";

bool canHoldHistory(const std::string& folder)
{
    return ::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

bool exists(const std::string& path)
{
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0;
}

} // namespace

HistoryLocation HistoryLocation::choose(const std::string& recordPath, const std::string& programDirectory,
                                        const std::string& playerDirectory)
{
    HistoryLocation location;
    const std::string recordFolder = FilePath::directoryOf(recordPath);
    location.path_ = recordFolder + kFileName;
    if (!canHoldHistory(recordFolder) && !playerDirectory.empty() && playerDirectory != recordFolder) {
        PrivateDirectory::make(playerDirectory);  // a folder that cannot be made is told when the history opens
        location.path_ = playerDirectory + kFileName;
        location.notice_ = "記録のあるフォルダ " + recordFolder + " には成績の履歴を書き込めないため、履歴は "
                           + location.path_ + " に記録します。";
    }
    const std::string programHistory = programDirectory + kFileName;
    if (FilePath::directoryOf(location.path_) != programDirectory && exists(programHistory)
        && !canHoldHistory(programDirectory)) {
        location.notice_ += (location.notice_.empty() ? "" : "\n") + std::string("プログラムのフォルダの成績の履歴 ")
                            + programHistory + " は、フォルダに書き込めないため使いません。成績は " + location.path_
                            + " に記録し、成績の画面にはそちらの成績を出します。";
    }
    if (!location.notice_.empty())
        location.shown_ = "この画面の成績: " + location.path_;
    return location;
}
