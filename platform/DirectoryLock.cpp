#include "platform/DirectoryLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

DirectoryLock::DirectoryLock(const std::string& directory, std::chrono::milliseconds patience, const Pause& pause)
{
    fd_ = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ < 0) {
        error_ = errno;
        return;
    }
    for (std::chrono::milliseconds waited{0};;) {
        if (::flock(fd_, LOCK_EX | LOCK_NB) == 0)
            return;
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK || waited >= patience) {
            error_ = errno;
            ::close(fd_);
            fd_ = -1;
            return;
        }
        pause(kRetryStep);
        waited += kRetryStep;
    }
}

DirectoryLock::~DirectoryLock()
{
    if (fd_ >= 0)
        ::close(fd_);  // closing the last descriptor releases the lock
}

void DirectoryLock::sleep(std::chrono::milliseconds duration)
{
    std::this_thread::sleep_for(duration);
}
