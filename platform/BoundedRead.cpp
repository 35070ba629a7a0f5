#include "platform/BoundedRead.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

BoundedRead failed(BoundedRead::Outcome outcome, int error = 0)
{
    BoundedRead result;
    result.outcome = outcome;
    result.error = error;
    return result;
}

} // namespace

BoundedRead readBounded(const std::string& path, std::size_t maximumBytes)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return failed(errno == ENOENT ? BoundedRead::Outcome::Missing : BoundedRead::Outcome::Failed, errno);

    BoundedRead result;
    struct stat status {};
    if (::fstat(fd, &status) != 0) {
        result = failed(BoundedRead::Outcome::Failed, errno);
    } else if (!S_ISREG(status.st_mode)) {
        result.outcome = BoundedRead::Outcome::NotRegular;
        result.mode = status.st_mode;
    } else if (status.st_size > static_cast<off_t>(maximumBytes)) {
        result.outcome = BoundedRead::Outcome::TooLarge;
        result.size = status.st_size;
    } else {
        result.outcome = BoundedRead::Outcome::Read;
        char buffer[4096];
        while (result.bytes.size() <= maximumBytes) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                result = failed(BoundedRead::Outcome::Failed, errno);
                break;
            }
            if (n == 0)
                break;
            result.bytes.append(buffer, static_cast<std::size_t>(n));
        }
        if (result.bytes.size() > maximumBytes) {
            result.outcome = BoundedRead::Outcome::TooLarge;
            result.size = static_cast<long long>(result.bytes.size());
            result.bytes.clear();
        }
    }
    ::close(fd);
    return result;
}
