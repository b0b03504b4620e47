// One run at a time in a directory: a run holds an advisory lock (flock) on
// the directory itself, so that it leaves no file of its own, and the kernel
// releases it when the process ends, however it ends.  cellplot and
// cellplot-mpi (on process 0) take the same lock before they read or write
// anything in the directory.
#pragma once

#include <string>

namespace cellplot {

class DirLock {
public:
    // Takes the lock on dir, or fails naming dir when another run holds it
    // or dir cannot be opened.  On a file system that has no locks (some
    // network file systems), the run goes on without one.
    explicit DirLock(const std::string& dir);
    ~DirLock();
    DirLock(const DirLock&) = delete;
    DirLock& operator=(const DirLock&) = delete;

private:
    int fd_;
};

}  // namespace cellplot
