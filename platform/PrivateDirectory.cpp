#include "platform/PrivateDirectory.h"

#include <cerrno>
#include <sys/stat.h>

int PrivateDirectory::make(const std::string& directory)
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
