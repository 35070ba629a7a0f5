#include "record/RecordLocation.h"

#include "record/WriteAll.h"

#include <cerrno>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace {

// Far more than two quoted fields need; anything longer is not a record.
constexpr off_t kLargestRecord = 64 * 1024;

std::string reason(int error) { return std::system_category().message(error); }

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
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return errno;
    struct stat file {};
    int error = 0;
    if (::fstat(fd, &file) != 0)
        error = errno;
    else if (!S_ISREG(file.st_mode))
        error = EINVAL;
    else if (file.st_size > kLargestRecord)
        error = EFBIG;
    char buffer[4096];
    while (error == 0) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            error = errno;
        else if (n == 0)
            break;
        else if (bytes.size() + static_cast<std::size_t>(n) > static_cast<std::size_t>(kLargestRecord))
            error = EFBIG;
        else
            bytes.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return error;
}

// Puts the bytes under target only if nothing is there yet. The whole file is written under a
// temporary name first and then given its name in one step that fails when the name is taken,
// so a second copy of the program sees either no record or a whole one, and neither copy ever
// overwrites the other's.
int createWhole(const std::string& target, const std::string& bytes)
{
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0; ++attempt) {
        temporary = target + "." + std::to_string(::getpid()) + "." + std::to_string(attempt) + ".new";
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && (errno != EEXIST || attempt == 100))
            return errno;
    }
    int error = 0;
    if (!writeAll(fd, bytes) || ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && ::link(temporary.c_str(), target.c_str()) != 0) {
        error = errno;
        // Some file systems have no hard links; there the rename must refuse a taken name too.
        if (error != EEXIST && ::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0)
            return 0;
    }
    ::unlink(temporary.c_str());
    return error == EEXIST ? 0 : error;
}

} // namespace

RecordLocation::RecordLocation(std::string path, std::string problem)
    : path_(std::move(path)), problem_(std::move(problem))
{
}

RecordLocation RecordLocation::choose(const std::string& programDirectory, const std::string& playerDirectory,
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
    if (const int error = createWhole(record, bytes); error != 0)
        return {record, record + " を作れませんでした（" + reason(error) + "）。"};
    return {record, {}};
}
