#include "platform/AtomicFileWriter.h"

#include "platform/FileKindName.h"
#include "platform/FilePath.h"
#include "platform/FinalTarget.h"
#include "platform/SystemErrorText.h"
#include "platform/TemporaryName.h"
#include "platform/WriteAll.h"

#include <cerrno>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

constexpr int kMostAttempts = 100;

std::string notRegular(const std::string& path, mode_t mode)
{
    return path + " は" + fileKindName(mode) + "で、普通のファイルではありません";
}

// Why path cannot be replaced: something other than a regular file stands there (lstat: path is
// a final target already). mode: the regular file's permissions.
std::optional<std::string> refusalOf(const std::string& path, std::optional<mode_t>& mode)
{
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0)
        return errno == ENOENT ? std::nullopt : std::optional<std::string>(systemErrorText(errno));
    if (!S_ISREG(status.st_mode))
        return notRegular(path, status.st_mode);
    mode = status.st_mode & 0777;
    return std::nullopt;
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

AtomicFileWriter::~AtomicFileWriter()
{
    abandon();
}

std::optional<std::string> AtomicFileWriter::open(const std::string& path, Replace replace)
{
    if (replace == Replace::Name)
        return start(path, Placement::OverName);
    const FinalTarget final = FinalTarget::of(path);
    switch (final.outcome) {
    case FinalTarget::Outcome::Resolved:
        return start(final.path, Placement::OverRegularFile);
    case FinalTarget::Outcome::Dangling:
        return fail(systemErrorText(ENOENT));
    case FinalTarget::Outcome::Loop:
        return fail(systemErrorText(ELOOP));
    case FinalTarget::Outcome::Failed:
        break;
    }
    return fail(systemErrorText(final.error));
}

std::optional<std::string> AtomicFileWriter::openFirstCopy(const std::string& path)
{
    return start(path, Placement::FirstCopy);
}

// A fresh temporary name that no other writer holds, even one of the same pid from an earlier boot.
std::optional<std::string> AtomicFileWriter::start(const std::string& target, Placement placement)
{
    abandon();
    failure_.reset();
    std::optional<mode_t> oldMode;
    if (placement == Placement::OverRegularFile) {
        if (auto refusal = refusalOf(target, oldMode))
            return fail(std::move(*refusal));
    }
    target_ = target;
    placement_ = placement;
    const auto kind = placement == Placement::FirstCopy ? TemporaryName::Kind::FirstCopy : TemporaryName::Kind::Replacement;
    for (int attempt = 0; fd_ < 0; ++attempt) {
        const std::string name = TemporaryName::beside(target, ::getpid(), attempt, kind);
        fd_ = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ >= 0)
            temporary_ = name;
        else if (errno != EEXIST || attempt == kMostAttempts)
            return fail(systemErrorText(errno));
    }
    if (!oldMode) {
        struct stat status {};
        if (::fstat(fd_, &status) != 0)
            return fail(systemErrorText(errno));
        oldMode = status.st_mode & 0777;
    }
    ::fchmod(fd_, *oldMode | S_IRUSR | S_IWUSR);
    return std::nullopt;
}

std::optional<std::string> AtomicFileWriter::write(std::string_view bytes)
{
    if (failure_)
        return failure_;
    if (fd_ < 0)
        return systemErrorText(EBADF);
    if (!writeAll(fd_, bytes))
        return fail(systemErrorText(errno));
    return std::nullopt;
}

std::optional<std::string> AtomicFileWriter::commit()
{
    if (failure_)
        return failure_;
    if (fd_ < 0)
        return systemErrorText(EBADF);
    if (::fsync(fd_) != 0)
        return fail(systemErrorText(errno));
    if (::close(std::exchange(fd_, -1)) != 0)
        return fail(systemErrorText(errno));
    if (auto problem = putInPlace())
        return fail(std::move(*problem));
    temporary_.clear();
    syncDirectoryOf(target_);
    return std::nullopt;
}

std::optional<std::string> AtomicFileWriter::putInPlace()
{
    if (placement_ == Placement::FirstCopy) {
        // link() fails when the name is taken, so neither of two writers overwrites the other's.
        if (::link(temporary_.c_str(), target_.c_str()) == 0 || errno == EEXIST) {
            ::unlink(temporary_.c_str());
            return std::nullopt;
        }
        // Some file systems have no hard links; there the rename must refuse a taken name too.
        const int error = errno;
        if (::renameat2(AT_FDCWD, temporary_.c_str(), AT_FDCWD, target_.c_str(), RENAME_NOREPLACE) == 0)
            return std::nullopt;
        if (errno != EEXIST)
            return systemErrorText(error);
        ::unlink(temporary_.c_str());
        return std::nullopt;
    }
    // Once more just before the rename: a FIFO or a folder put there since open() is not replaced.
    std::optional<mode_t> ignored;
    if (placement_ == Placement::OverRegularFile) {
        if (auto refusal = refusalOf(target_, ignored))
            return refusal;
    }
    if (::rename(temporary_.c_str(), target_.c_str()) != 0)
        return systemErrorText(errno);
    return std::nullopt;
}

void AtomicFileWriter::abandon()
{
    if (fd_ >= 0)
        ::close(std::exchange(fd_, -1));
    if (!temporary_.empty())
        ::unlink(temporary_.c_str());
    temporary_.clear();
}

std::optional<std::string> AtomicFileWriter::fail(std::string reason)
{
    abandon();
    failure_ = std::move(reason);
    return failure_;
}
