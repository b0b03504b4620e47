#include "run/dir_lock.hpp"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "run/failure.hpp"

namespace cellplot {

DirLock::DirLock(const std::string& dir)
{
    fd_ = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ < 0)
        fail(dir, "cannot read the directory: " + system_error_text(errno));
    while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        if (error == EINTR)
            continue;
        if (error == EWOULDBLOCK) {
            ::close(fd_);
            fd_ = -1;
            // "." alone would not tell which directory; say where it is.
            char here[4096];
            const bool named = dir != "." || ::getcwd(here, sizeof here) == nullptr;
            fail(named ? dir : std::string(here),
                 "another cellplot run is converting in this directory; wait for it to end");
        }
        break;  // ENOLCK, EOPNOTSUPP...: a file system without locks
    }
}

DirLock::~DirLock()
{
    if (fd_ >= 0)
        ::close(fd_);
}

}  // namespace cellplot
