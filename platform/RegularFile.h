#pragma once

#include <cstddef>
#include <string>
#include <sys/types.h>

// A file opened for reading that is known to be a regular file, opened without ever waiting on
// it: O_NONBLOCK keeps open() from waiting for a writer on a FIFO, O_NOCTTY keeps a terminal
// from becoming the program's, and fstat on the open descriptor tells a FIFO, a device, a folder
// or a socket from a file, so that nothing else is ever read from. The descriptor is closed when
// the object goes.
class RegularFile {
public:
    enum class Outcome {
        Opened,      // fd() is open; size() is the file's size when it was opened
        Missing,     // nothing at the path (ENOENT)
        NotRegular,  // mode() tells what stands there; a refused link is S_IFLNK
        Failed,      // error() holds the errno
    };

    // Refuse: a link at the path itself is not followed but counted as not regular.
    enum class Links { Follow, Refuse };

    static RegularFile open(const std::string& path, Links links = Links::Follow);

    RegularFile(RegularFile&& other) noexcept;
    RegularFile& operator=(RegularFile&&) = delete;
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;
    ~RegularFile();

    Outcome outcome() const { return outcome_; }
    int fd() const { return fd_; }
    mode_t mode() const { return mode_; }
    long long size() const { return size_; }
    int error() const { return error_; }

    // Reads on until size bytes are in or the file ends: the count read, or -1 with errno set.
    long long read(void* buffer, std::size_t size) const;

private:
    RegularFile() = default;

    Outcome outcome_ = Outcome::Missing;
    int fd_ = -1;
    mode_t mode_ = 0;
    long long size_ = 0;
    int error_ = 0;
};
