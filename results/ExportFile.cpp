#include "results/ExportFile.h"

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

namespace {

const char* kindOf(mode_t mode)
{
    if (S_ISFIFO(mode))
        return "FIFO（名前付きパイプ）";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "デバイス";
    if (S_ISSOCK(mode))
        return "ソケット";
    if (S_ISDIR(mode))
        return "フォルダ";
    return "普通のファイルではないもの";
}

} // namespace

ExportFile::ExportFile(const std::string& path) : path_(path)
{
    const FinalTarget final = FinalTarget::of(path);
    if (final.outcome == FinalTarget::Outcome::Loop) {
        problem_ = path + " はシンボリックリンクが循環しているため、書き出せません。";
        return;
    }
    if (final.outcome == FinalTarget::Outcome::Failed) {
        fail(final.error);
        return;
    }
    target_ = final.path;
    if (refuseNonRegular())
        return;
    for (int attempt = 0; fd_ < 0; ++attempt) {
        temporary_ = TemporaryName::beside(target_, ::getpid(), attempt, TemporaryName::Kind::Replacement);
        fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
        if (fd_ < 0 && (errno != EEXIST || attempt == 100)) {
            temporary_.clear();
            fail(errno);
            return;
        }
    }
}

ExportFile::~ExportFile()
{
    if (fd_ >= 0)
        ::close(fd_);
    if (!committed_ && !temporary_.empty())
        ::unlink(temporary_.c_str());
}

bool ExportFile::refuseNonRegular()
{
    struct stat status {};
    if (::lstat(target_.c_str(), &status) != 0 || S_ISREG(status.st_mode))
        return false;
    problem_ = "CSV を " + path_ + " に書き出しませんでした。そこにあるのは" + kindOf(status.st_mode)
               + "で、普通のファイルではないため置き換えません。";
    return true;
}

void ExportFile::fail(int error)
{
    if (problem_.empty())
        problem_ = "CSV を " + path_ + " に書き出せませんでした（" + systemErrorText(error) + "）。";
}

bool ExportFile::write(std::string_view bytes)
{
    if (fd_ < 0 || !problem_.empty())
        return false;
    if (!writeAll(fd_, bytes)) {
        fail(errno);
        return false;
    }
    return true;
}

bool ExportFile::commit()
{
    if (fd_ < 0 || !problem_.empty())
        return false;
    // The new file keeps the old one's permissions for group and others, and its owner can read it.
    struct stat status {};
    if (::stat(target_.c_str(), &status) == 0 && S_ISREG(status.st_mode))
        ::fchmod(fd_, (status.st_mode & 0777) | S_IRUSR | S_IWUSR);
    const int synced = ::fsync(fd_) == 0 ? 0 : errno;
    const int closed = ::close(fd_) == 0 ? 0 : errno;
    fd_ = -1;
    if (synced != 0 || closed != 0) {
        fail(synced != 0 ? synced : closed);
        return false;
    }
    if (refuseNonRegular())
        return false;  // something else took the name meanwhile
    if (::rename(temporary_.c_str(), target_.c_str()) != 0) {
        fail(errno);
        return false;
    }
    committed_ = true;
    const int directory = ::open(FilePath::directoryOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directory >= 0) {
        ::fsync(directory);
        ::close(directory);
    }
    return true;
}
