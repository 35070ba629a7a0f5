#pragma once

#include <string>

// A writer killed between creating its temporary file and renaming it leaves the file behind.
// Only files of TemporaryName's naming for this target whose writer no longer runs are
// removed; one whose writer lives (or cannot be asked, being another user's) may be a write in
// progress and is kept. A folder that cannot be listed is left alone.
class LeftoverTemporaries {
public:
    static void removeBeside(const std::string& target);
};
