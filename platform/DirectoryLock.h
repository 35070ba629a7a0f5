#pragma once

#include <chrono>
#include <functional>
#include <string>

// An exclusive advisory lock (flock) on a directory, held while the object lives. The directory
// is locked rather than the file in it because a save renames a new file over the old one: a
// lock on the old file's inode would not keep out a writer that opened the new one. The kernel
// drops the lock when its holder dies, so a killed save cannot leave it behind.
class DirectoryLock {
public:
    using Pause = std::function<void(std::chrono::milliseconds)>;
    static constexpr std::chrono::milliseconds kRetryStep{5};

    // Tries for up to `patience`, pausing kRetryStep between tries; a holder that keeps the lock
    // longer (a stopped process) must not freeze the caller's window. errno of the failure in
    // error(), 0 when locked. `pause` is the sleep between tries (a test counts it).
    DirectoryLock(const std::string& directory, std::chrono::milliseconds patience, const Pause& pause = sleep);
    ~DirectoryLock();
    DirectoryLock(const DirectoryLock&) = delete;
    DirectoryLock& operator=(const DirectoryLock&) = delete;

    bool locked() const { return error_ == 0; }
    int error() const { return error_; }

    static void sleep(std::chrono::milliseconds duration);

private:
    int fd_ = -1;
    int error_ = 0;
};
