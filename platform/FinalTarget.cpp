#include "platform/FinalTarget.h"

#include "platform/FilePath.h"

#include <cerrno>
#include <climits>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// As many links as the kernel itself follows in one lookup.
constexpr int kMostLinks = 40;

FinalTarget ending(FinalTarget::Outcome kind, std::string path, int error = 0)
{
    FinalTarget target;
    target.outcome = kind;
    target.path = std::move(path);
    target.error = error;
    return target;
}

} // namespace

FinalTarget FinalTarget::of(const std::string& path)
{
    std::string current = path;
    for (int followed = 0;; ++followed) {
        struct stat status {};
        if (::lstat(current.c_str(), &status) != 0) {
            if (errno == ENOENT)
                return ending(followed == 0 ? Outcome::Resolved : Outcome::Dangling, current);
            if (errno == ELOOP)
                return ending(Outcome::Loop, current);
            return ending(Outcome::Failed, current, errno);
        }
        if (!S_ISLNK(status.st_mode))
            return ending(Outcome::Resolved, current);
        if (followed == kMostLinks)
            return ending(Outcome::Loop, path);

        char buffer[PATH_MAX];
        const ssize_t length = ::readlink(current.c_str(), buffer, sizeof buffer);
        if (length < 0)
            return ending(Outcome::Failed, current, errno);
        if (static_cast<std::size_t>(length) == sizeof buffer)
            return ending(Outcome::Failed, current, ENAMETOOLONG);
        if (length == 0)
            return ending(Outcome::Dangling, current);
        const std::string link(buffer, static_cast<std::size_t>(length));
        current = link.front() == '/' ? link : FilePath::directoryOf(current) + "/" + link;
    }
}
