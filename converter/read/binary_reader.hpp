// Reads sequential unformatted records: each record is a 4-byte signed
// little-endian byte count L, L bytes of payload, and the count L again.
// Integers are 4-byte and reals 8-byte little-endian values packed without
// gaps.  A record longer than the values taken from it is skipped past; a
// shorter one is refused.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "read/byte_source.hpp"

namespace cellplot {

class BinaryReader {
public:
    explicit BinaryReader(ByteSource& source);

    // Starts record number (used in messages) that must hold at least
    // needed bytes of payload.
    void begin_record(int number, std::int64_t needed);
    std::int32_t integer();
    double real();
    void integers(std::int32_t* dst, std::int64_t n);
    void reals(double* dst, std::int64_t n);
    // Skips the payload not taken and checks the closing count.
    void end_record();

private:
    void take(void* dst, std::size_t n);
    void skip(std::size_t n);
    void read_exact(void* dst, std::size_t n, const char* what);

    ByteSource& source_;
    std::unique_ptr<char[]> buf_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    int record_ = 0;
    std::int32_t length_ = 0;
    std::int64_t left_ = 0;  // payload bytes of the record not taken yet
};

}  // namespace cellplot
