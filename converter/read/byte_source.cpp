#include "read/byte_source.hpp"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "run/failure.hpp"

namespace cellplot {

FileSource::FileSource(const std::string& path) : ByteSource(path)
{
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0)
        fail(path, "cannot open: " + system_error_text(errno));
    struct stat st;
    if (::fstat(fd_, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd_);
        fail(path, "cannot read: it is a directory");
    }
}

FileSource::~FileSource()
{
    ::close(fd_);
}

std::size_t FileSource::read(char* dst, std::size_t n)
{
    std::size_t done = 0;
    while (done < n) {
        ssize_t got = ::read(fd_, dst + done, n - done);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            fail(name(), "cannot read: " + system_error_text(errno));
        }
        if (got == 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

std::size_t MemorySource::read(char* dst, std::size_t n)
{
    std::size_t k = n < left_ ? n : left_;
    if (k)
        std::memcpy(dst, data_, k);
    data_ += k;
    left_ -= k;
    return k;
}

bool file_exists(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

}  // namespace cellplot
