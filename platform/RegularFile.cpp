#include "platform/RegularFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

RegularFile RegularFile::open(const std::string& path, Links links)
{
    RegularFile file;
    const int flags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (links == Links::Refuse ? O_NOFOLLOW : 0);
    const int fd = ::open(path.c_str(), flags);
    if (fd < 0) {
        file.error_ = errno;
        if (file.error_ == ENOENT) {
            file.outcome_ = Outcome::Missing;
        } else if (file.error_ == ELOOP && links == Links::Refuse) {
            file.outcome_ = Outcome::NotRegular;
            file.mode_ = S_IFLNK;
        } else {
            file.outcome_ = Outcome::Failed;
        }
        return file;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0) {
        file.outcome_ = Outcome::Failed;
        file.error_ = errno;
        ::close(fd);
    } else if (!S_ISREG(status.st_mode)) {
        file.outcome_ = Outcome::NotRegular;
        file.mode_ = status.st_mode;
        ::close(fd);
    } else {
        file.outcome_ = Outcome::Opened;
        file.fd_ = fd;
        file.mode_ = status.st_mode;
        file.size_ = status.st_size;
    }
    return file;
}

RegularFile::RegularFile(RegularFile&& other) noexcept
    : outcome_(other.outcome_), fd_(std::exchange(other.fd_, -1)), mode_(other.mode_), size_(other.size_),
      error_(other.error_)
{
}

RegularFile::~RegularFile()
{
    if (fd_ >= 0)
        ::close(fd_);
}

long long RegularFile::read(void* buffer, std::size_t size) const
{
    auto* bytes = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = ::read(fd_, bytes + done, size - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    return static_cast<long long>(done);
}
