// An output file created new (over an existing one only when asked to) and
// written through one large buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace cellplot {

class ProgressLine;

// The cause given when an output file exists and may not be replaced.
inline constexpr const char* already_exists = "already exists; remove it first or use --overwrite";

class OutFile {
public:
    // Creates the file; when a file of that name exists, refuses unless
    // overwrite is true, and then empties it.  The bytes that reach the file
    // are counted into progress, when given (it must outlive the file).
    explicit OutFile(std::string name, bool overwrite = false, ProgressLine* progress = nullptr);
    ~OutFile();
    OutFile(const OutFile&) = delete;
    OutFile& operator=(const OutFile&) = delete;

    // Room for at least n more bytes (n at most buffer_size); write them
    // from the pointer returned, then pass the end to advance().
    char* room(std::size_t n)
    {
        if (static_cast<std::size_t>(limit_ - pos_) < n)
            flush();
        return pos_;
    }
    void advance(char* new_pos) { pos_ = new_pos; }

    void put(std::string_view text);
    // Writes out what is buffered.
    void flush();
    // As put, but a long run of bytes goes to the file straight from data
    // rather than through the buffer.
    void put_large(const void* data, std::size_t n);

    // Bytes written so far, buffered or not: the file position of the next
    // byte.
    std::uint64_t position() const
    {
        return flushed_ + static_cast<std::uint64_t>(pos_ - buf_.get());
    }
    // Overwrites n bytes already written, from file position at on
    // (at + n <= position()), in the buffer or by a positioned write: for
    // sizes and offsets known only after the data they describe.
    void patch(std::uint64_t at, const void* data, std::size_t n);

    // Writes out what is buffered and closes the file.
    void close();

    const std::string& name() const { return name_; }

    static constexpr std::size_t buffer_size = std::size_t{1} << 20;

private:
    void write_all(const char* p, std::size_t n);

    std::string name_;
    int fd_;
    std::unique_ptr<char[]> buf_;
    char* pos_;
    char* limit_;
    ProgressLine* progress_;
    std::uint64_t flushed_ = 0;  // bytes handed to the file so far
};

}  // namespace cellplot
