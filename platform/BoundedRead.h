#pragma once

#include <cstddef>
#include <string>
#include <sys/types.h>

// What readBounded() found at a path.
struct BoundedRead {
    enum class Outcome {
        Read,        // bytes holds the whole file
        Missing,     // nothing at the path (ENOENT)
        NotRegular,  // a FIFO, a device, a folder or a socket; mode tells which
        TooLarge,    // size bytes, more than the limit; nothing is kept
        Failed,      // error holds the errno
    };
    Outcome outcome = Outcome::Missing;
    std::string bytes;
    mode_t mode = 0;
    long long size = 0;
    int error = 0;
};

// Reads a small regular file whole without ever waiting on it: O_NONBLOCK keeps open() from
// waiting for a writer on a FIFO, and only a regular file is read from, so a link to a device
// or a pipe is refused unread. A link to a regular file is followed. A file that grows while it
// is read is never taken more than one byte past maximumBytes.
BoundedRead readBounded(const std::string& path, std::size_t maximumBytes);
