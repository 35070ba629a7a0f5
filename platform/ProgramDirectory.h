#pragma once

#include <string>

// The folder that holds the running executable, as the bytes the file system uses. A folder
// whose name is not valid UTF-8 (an archive unpacked from another system) must still be found:
// a text conversion would drop or replace those bytes and point elsewhere.
class ProgramDirectory {
public:
    // The folder part of /proc/self/exe; the working folder "." when the link cannot be read.
    static std::string ofThisProcess();
    // The folder part of an executable's path read from such a link; a deleted executable's
    // " (deleted)" mark is not part of the name.
    static std::string ofExecutable(std::string executablePath);
};
