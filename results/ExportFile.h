#pragma once

#include <string>
#include <string_view>

// A file written as a stream and put in place in one step when it is whole: the bytes go to a
// temporary file beside the target and only commit() gives it the target's name, so a failed or
// cancelled export leaves what stood there untouched. A target that is not a regular file (a
// FIFO, a device, a socket, a folder) is refused before anything is written, and again before
// the rename; a symbolic link is followed to the file it names.
// (Until the file layer in platform/ has a streaming writer, this one stands in for it.)
class ExportFile {
public:
    explicit ExportFile(const std::string& path);
    ~ExportFile();
    ExportFile(const ExportFile&) = delete;
    ExportFile& operator=(const ExportFile&) = delete;

    // Why the file cannot be written, in the player's words; empty while all goes well.
    const std::string& problem() const { return problem_; }
    bool write(std::string_view bytes);
    // Flushes the bytes to disk and renames them into place; false with problem() when not.
    bool commit();

private:
    bool refuseNonRegular();
    void fail(int error);

    std::string path_;
    std::string target_;
    std::string temporary_;
    std::string problem_;
    int fd_ = -1;
    bool committed_ = false;
};
