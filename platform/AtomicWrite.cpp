#include "platform/AtomicWrite.h"

#include "platform/FilePath.h"
#include "platform/TemporaryName.h"
#include "platform/WriteAll.h"

#include <cerrno>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kMostAttempts = 100;

struct Temporary {
    std::string path;
    int fd = -1;
    int error = 0;
};

// A fresh name that no other writer holds, even one of the same pid from an earlier boot.
Temporary createTemporary(const std::string& target, TemporaryName::Kind kind)
{
    Temporary temporary;
    for (int attempt = 0; temporary.fd < 0; ++attempt) {
        temporary.path = TemporaryName::beside(target, ::getpid(), attempt, kind);
        temporary.fd = ::open(temporary.path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (temporary.fd < 0 && (errno != EEXIST || attempt == kMostAttempts)) {
            temporary.error = errno;
            return temporary;
        }
    }
    return temporary;
}

// Writes, flushes and closes; errno of the first failure or 0.
int fill(int fd, std::string_view bytes)
{
    int error = 0;
    if (!writeAll(fd, bytes) || ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    return error;
}

// Makes a rename durable. The file is already in place, so a failure here is not reported.
void syncDirectoryOf(const std::string& path)
{
    const int directory = ::open(FilePath::directoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directory >= 0) {
        ::fsync(directory);
        ::close(directory);
    }
}

} // namespace

int AtomicWrite::replace(const std::string& path, std::string_view bytes)
{
    const Temporary temporary = createTemporary(path, TemporaryName::Kind::Replacement);
    if (temporary.fd < 0)
        return temporary.error;

    struct stat status {};
    mode_t mode = 0600;
    if (::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode))
        mode = status.st_mode & 0777;
    else if (::fstat(temporary.fd, &status) == 0)
        mode = status.st_mode & 0777;
    ::fchmod(temporary.fd, mode | S_IRUSR | S_IWUSR);

    int error = fill(temporary.fd, bytes);
    if (error == 0 && ::rename(temporary.path.c_str(), path.c_str()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(temporary.path.c_str());
        return error;
    }
    syncDirectoryOf(path);
    return 0;
}

int AtomicWrite::createIfAbsent(const std::string& path, std::string_view bytes)
{
    const Temporary temporary = createTemporary(path, TemporaryName::Kind::FirstCopy);
    if (temporary.fd < 0)
        return temporary.error;
    int error = fill(temporary.fd, bytes);
    // link() fails when the name is taken, so neither of two writers overwrites the other's.
    if (error == 0 && ::link(temporary.path.c_str(), path.c_str()) != 0) {
        error = errno;
        // Some file systems have no hard links; there the rename must refuse a taken name too.
        if (error != EEXIST
            && ::renameat2(AT_FDCWD, temporary.path.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0) {
            syncDirectoryOf(path);
            return 0;
        }
    }
    ::unlink(temporary.path.c_str());
    if (error == 0)
        syncDirectoryOf(path);
    return error == EEXIST ? 0 : error;
}
