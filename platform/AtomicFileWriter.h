#pragma once

#include <optional>
#include <string>
#include <string_view>

// Writes a file so that a crash, a full disk or a killed process never leaves it half done: the
// bytes go to a temporary file beside the target (see TemporaryName), are flushed to disk on
// commit, and only then take the target's name in one step; the folder is flushed after. Only a
// regular file is ever replaced: a FIFO, a device, a folder or a socket at the target (or where a
// link there leads) is refused with a message and left as it is. A writer that fails, is
// abandoned or goes without a commit removes its temporary file.
//
// open, write and commit each return nothing on success, else a plain text that says why (the C
// library's words for a system error). After a failure every later call returns the same text
// until the next open. One writer belongs to one thread at a time.
class AtomicFileWriter {
public:
    enum class Replace {
        RegularFile,  // a regular file at the path, or where a link there leads; nothing else
        Name,         // whatever the name holds itself (a link, a FIFO): for files only this program keeps
    };

    AtomicFileWriter() = default;
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // Starts a replacement of path. A link there is followed to its final target, which is
    // replaced while the link stays, unless `replace` says the name itself is replaced. The new
    // file keeps an old regular file's permissions for group and others, and its owner can always
    // read and write it (a file saved unreadable would be lost); otherwise the umask decides.
    std::optional<std::string> open(const std::string& path, Replace replace = Replace::RegularFile);
    // Starts a first copy: commit puts it under path only if nothing is there yet. A name taken
    // meanwhile (by another process doing the same) is success, and what stands there stays.
    std::optional<std::string> openFirstCopy(const std::string& path);

    std::optional<std::string> write(std::string_view bytes);
    std::optional<std::string> commit();
    // Drops what was written; the target stays as it was.
    void abandon();

private:
    enum class Placement { OverRegularFile, OverName, FirstCopy };
    std::optional<std::string> start(const std::string& target, Placement placement);
    std::optional<std::string> fail(std::string reason);
    std::optional<std::string> putInPlace();

    std::string target_;
    std::string temporary_;
    int fd_ = -1;
    Placement placement_ = Placement::OverRegularFile;
    std::optional<std::string> failure_;
};
