#pragma once

#include <string>
#include <string_view>

// Whole-file writes that a crash, a full disk or a killed process can never leave half done:
// the bytes go to a temporary file beside the target (see TemporaryName), are flushed to disk,
// and only then take the target's name in one step. The temporary file never survives a
// failure. Both return 0 or the errno of the step that failed.
class AtomicWrite {
public:
    // Puts bytes under path, replacing what is there. The new file keeps the old one's
    // permissions for group and others, but its owner can always read and write it: a file saved
    // unreadable would be lost. Without an old file the umask decides the rest. path must not be
    // a symbolic link (the link itself would be replaced); resolve it with FinalTarget first.
    static int replace(const std::string& path, std::string_view bytes);

    // Puts bytes under path only if nothing is there yet; a name taken meanwhile (by another
    // process doing the same) is success, and what stands there is left untouched.
    static int createIfAbsent(const std::string& path, std::string_view bytes);
};
