#pragma once

#include <chrono>
#include <string>

// An exclusive advisory lock (flock) on a directory, held while the object lives. The directory
// is locked rather than the file in it because a save renames a new file over the old one: a
// lock on the old file's inode would not keep out a writer that opened the new one. The kernel
// drops the lock when its holder dies, so a killed save cannot leave it behind.
class DirectoryLock {
public:
    // Tries for up to `patience`; a holder that keeps the lock longer (a stopped process) must
    // not freeze the caller's window. errno of the failure in error(), 0 when locked.
    DirectoryLock(const std::string& directory, std::chrono::milliseconds patience);
    ~DirectoryLock();
    DirectoryLock(const DirectoryLock&) = delete;
    DirectoryLock& operator=(const DirectoryLock&) = delete;

    bool locked() const { return error_ == 0; }
    int error() const { return error_; }

private:
    int fd_ = -1;
    int error_ = 0;
};
