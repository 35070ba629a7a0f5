#include "record/DirectoryLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <time.h>
#include <unistd.h>

DirectoryLock::DirectoryLock(const std::string& directory, std::chrono::milliseconds patience)
{
    fd_ = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ < 0) {
        error_ = errno;
        return;
    }
    constexpr long stepNs = 5'000'000;
    for (long waitedNs = 0;; waitedNs += stepNs) {
        if (::flock(fd_, LOCK_EX | LOCK_NB) == 0)
            return;
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK || waitedNs >= std::chrono::nanoseconds(patience).count()) {
            error_ = errno;
            ::close(fd_);
            fd_ = -1;
            return;
        }
        const timespec step {0, stepNs};
        ::nanosleep(&step, nullptr);
    }
}

DirectoryLock::~DirectoryLock()
{
    if (fd_ >= 0)
        ::close(fd_);  // closing the last descriptor releases the lock
}
