#include "read/binary_reader.hpp"

#include <bit>
#include <cstring>
#include <string>

#include "run/failure.hpp"

static_assert(std::endian::native == std::endian::little,
              "binary result files are little-endian and are read in place");

namespace cellplot {
namespace {
constexpr std::size_t chunk_size = std::size_t{1} << 16;
}

BinaryReader::BinaryReader(ByteSource& source) : source_(source), buf_(new char[chunk_size]) {}

// Copies n bytes of the file to dst: first what is buffered, then large
// blocks straight from the source, small ones through the buffer.
void BinaryReader::read_exact(void* dst, std::size_t n, const char* what)
{
    char* out = static_cast<char*>(dst);
    std::size_t have = end_ - pos_;
    std::size_t k = n < have ? n : have;
    std::memcpy(out, buf_.get() + pos_, k);
    pos_ += k;
    out += k;
    n -= k;
    if (n == 0)
        return;
    if (n >= chunk_size) {
        std::size_t got = source_.read(out, n);
        if (got != n)
            fail(source_.name(),
                 std::string("ends inside ") + what + " of record " + std::to_string(record_));
        return;
    }
    end_ = source_.read(buf_.get(), chunk_size);
    pos_ = 0;
    if (end_ < n)
        fail(source_.name(),
             std::string("ends inside ") + what + " of record " + std::to_string(record_));
    std::memcpy(out, buf_.get(), n);
    pos_ = n;
}

void BinaryReader::skip(std::size_t n)
{
    while (n > 0) {
        if (pos_ == end_) {
            end_ = source_.read(buf_.get(), chunk_size);
            pos_ = 0;
            if (end_ == 0)
                fail(source_.name(), "ends inside record " + std::to_string(record_));
        }
        std::size_t k = end_ - pos_ < n ? end_ - pos_ : n;
        pos_ += k;
        n -= k;
    }
}

void BinaryReader::begin_record(int number, std::int64_t needed)
{
    record_ = number;
    if (pos_ == end_) {
        end_ = source_.read(buf_.get(), chunk_size);
        pos_ = 0;
        if (end_ == 0)
            fail(source_.name(), "ends before record " + std::to_string(number));
    }
    read_exact(&length_, 4, "the length");
    if (length_ < 0)
        fail(source_.name(), "record " + std::to_string(number) + " has a negative length (" +
                                 std::to_string(length_) + ")");
    if (length_ < needed)
        fail(source_.name(), "record " + std::to_string(number) + " holds " +
                                 std::to_string(length_) + " bytes, " + std::to_string(needed) +
                                 " needed");
    left_ = length_;
}

void BinaryReader::take(void* dst, std::size_t n)
{
    if (static_cast<std::int64_t>(n) > left_)
        fail(source_.name(), "record " + std::to_string(record_) + " holds " +
                                 std::to_string(length_) + " bytes, fewer than its values need");
    left_ -= static_cast<std::int64_t>(n);
    read_exact(dst, n, "the payload");
}

std::int32_t BinaryReader::integer()
{
    std::int32_t v;
    take(&v, sizeof v);
    return v;
}

double BinaryReader::real()
{
    double v;
    take(&v, sizeof v);
    return v;
}

void BinaryReader::integers(std::int32_t* dst, std::int64_t n)
{
    if (n > 0)
        take(dst, static_cast<std::size_t>(n) * sizeof *dst);
}

void BinaryReader::reals(double* dst, std::int64_t n)
{
    if (n > 0)
        take(dst, static_cast<std::size_t>(n) * sizeof *dst);
}

void BinaryReader::end_record()
{
    skip(static_cast<std::size_t>(left_));
    left_ = 0;
    std::int32_t closing;
    read_exact(&closing, 4, "the closing length");
    if (closing != length_)
        fail(source_.name(), "record " + std::to_string(record_) + " is damaged: it opens with " +
                                 std::to_string(length_) + " bytes and closes with " +
                                 std::to_string(closing));
}

}  // namespace cellplot
