#include "record/RecordLocation.h"

#include "platform/AtomicWrite.h"
#include "platform/BoundedRead.h"
#include "platform/FinalTarget.h"
#include "platform/LeftoverTemporaries.h"
#include "platform/SystemErrorText.h"
#include "record/RecordFormat.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string reason(int error) { return systemErrorText(error); }

bool isWritableFolderWithRecord(const std::string& directory)
{
    struct stat record {};
    // Saving writes a new file beside the old one and renames it, so the folder must be writable.
    return ::stat((directory + "/score.dat").c_str(), &record) == 0 && S_ISREG(record.st_mode)
           && ::faccessat(AT_FDCWD, directory.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

// Creates the folder and any missing parents, private to the player as the XDG base directories are.
int makeDirectories(const std::string& directory)
{
    for (std::size_t slash = directory.find('/', 1);; slash = directory.find('/', slash + 1)) {
        const std::string part = directory.substr(0, slash);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return errno;
        if (slash == std::string::npos)
            break;
    }
    struct stat folder {};
    if (::stat(directory.c_str(), &folder) != 0)
        return errno;
    return S_ISDIR(folder.st_mode) ? 0 : ENOTDIR;
}

// Reads the delivered record without following it into a FIFO or a device.
int readDelivered(const std::string& path, std::string& bytes)
{
    BoundedRead file = readBounded(path, RecordFormat::maximumBytes);
    switch (file.outcome) {
    case BoundedRead::Outcome::Read:
        bytes = std::move(file.bytes);
        return 0;
    case BoundedRead::Outcome::Missing:
        return ENOENT;
    case BoundedRead::Outcome::NotRegular:
        return EINVAL;
    case BoundedRead::Outcome::TooLarge:
        return EFBIG;
    case BoundedRead::Outcome::Failed:
        break;
    }
    return file.error;
}

// Saves killed halfway leave their temporary files beside the record, or beside the file a
// link in its place leads to.
void removeLeftoversBeside(const std::string& record)
{
    LeftoverTemporaries::removeBeside(record);
    const FinalTarget target = FinalTarget::of(record);
    if (target.outcome == FinalTarget::Outcome::Resolved && target.path != record)
        LeftoverTemporaries::removeBeside(target.path);
}

} // namespace

RecordLocation::RecordLocation(std::string path, std::string problem)
    : path_(std::move(path)), problem_(std::move(problem))
{
}

RecordLocation RecordLocation::choose(const std::string& programDirectory, const std::string& playerDirectory,
                                      const std::string& deliveredRecord)
{
    RecordLocation location = prepare(programDirectory, playerDirectory, deliveredRecord);
    removeLeftoversBeside(location.path_);
    return location;
}

RecordLocation RecordLocation::prepare(const std::string& programDirectory, const std::string& playerDirectory,
                                       const std::string& deliveredRecord)
{
    if (isWritableFolderWithRecord(programDirectory) || playerDirectory.empty())
        return {programDirectory + "/score.dat", {}};

    const std::string record = playerDirectory + "/score.dat";
    struct stat existing {};
    if (::lstat(record.c_str(), &existing) == 0)
        return {record, {}};

    if (const int error = makeDirectories(playerDirectory); error != 0)
        return {record, playerDirectory + " を作れないため、" + record + " に記録を残せません（" + reason(error) + "）。"};
    std::string bytes;
    if (const int error = readDelivered(deliveredRecord, bytes); error != 0) {
        // Without a delivered record the game starts with none, as if its score were 0.
        if (error == ENOENT)
            return {record, {}};
        return {record, deliveredRecord + " を読めないため、" + record + " を作れません（" + reason(error) + "）。"};
    }
    if (const auto problem = AtomicWrite::createIfAbsent(record, bytes))
        return {record, record + " を作れませんでした（" + *problem + "）。"};
    return {record, {}};
}
