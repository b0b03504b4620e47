#include "run/out_file.hpp"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "run/failure.hpp"
#include "run/interrupt.hpp"
#include "run/progress.hpp"

namespace cellplot {

OutFile::OutFile(std::string name, bool overwrite, ProgressLine* progress)
    : name_(std::move(name)), buf_(new char[buffer_size]), progress_(progress)
{
    const int how = overwrite ? O_TRUNC : O_EXCL;
    fd_ = ::open(name_.c_str(), O_WRONLY | O_CREAT | how | O_CLOEXEC, 0644);
    if (fd_ < 0) {
        if (errno == EEXIST)
            fail(name_, already_exists);
        fail(name_, "cannot create: " + system_error_text(errno));
    }
    pos_ = buf_.get();
    limit_ = pos_ + buffer_size;
    note_open(name_.c_str());
}

OutFile::~OutFile()
{
    if (fd_ >= 0) {
        note_closed(name_.c_str());
        ::close(fd_);
    }
}

void OutFile::flush()
{
    write_all(buf_.get(), static_cast<std::size_t>(pos_ - buf_.get()));
    pos_ = buf_.get();
}

void OutFile::write_all(const char* p, std::size_t n)
{
    while (n > 0) {
        ssize_t done = ::write(fd_, p, n);
        if (done < 0) {
            if (errno == EINTR)
                continue;
            fail(name_, "cannot write: " + system_error_text(errno));
        }
        p += done;
        n -= static_cast<std::size_t>(done);
        flushed_ += static_cast<std::uint64_t>(done);
        if (progress_)
            progress_->add_bytes(static_cast<std::uint64_t>(done));
    }
}

void OutFile::put_large(const void* data, std::size_t n)
{
    if (n < buffer_size) {
        put(std::string_view(static_cast<const char*>(data), n));
        return;
    }
    flush();
    write_all(static_cast<const char*>(data), n);
}

void OutFile::patch(std::uint64_t at, const void* data, std::size_t n)
{
    const char* from = static_cast<const char*>(data);
    while (n > 0 && at < flushed_) {
        const std::size_t k = flushed_ - at < n ? static_cast<std::size_t>(flushed_ - at) : n;
        ssize_t done = ::pwrite(fd_, from, k, static_cast<off_t>(at));
        if (done < 0) {
            if (errno == EINTR)
                continue;
            fail(name_, "cannot write: " + system_error_text(errno));
        }
        from += done;
        at += static_cast<std::uint64_t>(done);
        n -= static_cast<std::size_t>(done);
    }
    if (n > 0)
        std::memcpy(buf_.get() + (at - flushed_), from, n);
}

void OutFile::put(std::string_view text)
{
    while (!text.empty()) {
        std::size_t k = text.size() < buffer_size ? text.size() : buffer_size;
        char* p = room(k);
        std::memcpy(p, text.data(), k);
        advance(p + k);
        text.remove_prefix(k);
    }
}

void OutFile::close()
{
    flush();
    note_closed(name_.c_str());
    int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0)
        fail(name_, "cannot write: " + system_error_text(errno));
}

}  // namespace cellplot
