// Where the readers take their bytes from: an existing file, or bytes in
// memory (the tests and fuzz targets feed whole files that way).
#pragma once

#include <cstddef>
#include <string>

namespace cellplot {

class ByteSource {
public:
    explicit ByteSource(std::string name) : name_(std::move(name)) {}
    virtual ~ByteSource() = default;
    ByteSource(const ByteSource&) = delete;
    ByteSource& operator=(const ByteSource&) = delete;

    // Reads up to n bytes into dst; returns how many, 0 only at the end.
    virtual std::size_t read(char* dst, std::size_t n) = 0;

    // The name used in messages.
    const std::string& name() const { return name_; }

private:
    std::string name_;
};

// An existing file, opened for reading; closed when the object goes.
class FileSource final : public ByteSource {
public:
    explicit FileSource(const std::string& path);
    ~FileSource() override;
    std::size_t read(char* dst, std::size_t n) override;

private:
    int fd_;
};

class MemorySource final : public ByteSource {
public:
    MemorySource(std::string name, const char* data, std::size_t size)
        : ByteSource(std::move(name)), data_(data), left_(size)
    {}
    std::size_t read(char* dst, std::size_t n) override;

private:
    const char* data_;
    std::size_t left_;
};

// True when a file or directory of that name exists.
bool file_exists(const std::string& path);

}  // namespace cellplot
