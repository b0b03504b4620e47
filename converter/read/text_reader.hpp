// Reads values the way a Fortran list-directed READ does: each record (one
// READ) starts at the beginning of a line, its values are separated by
// blanks, commas or line ends and may run over many lines, and when its last
// value has been read the rest of that line is skipped.  Integers are signed
// decimal digits; reals may lack the decimal point and may carry an exponent
// introduced by E, D or Q, or by a sign alone ("1.5+3"); "Inf", "Infinity"
// and "NaN" are read as such, and r*value repeats a value r times.  Null
// values (two commas in a row) and a slash ending a record early are refused.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "read/byte_source.hpp"

namespace cellplot {

class TextReader {
public:
    explicit TextReader(ByteSource& source);

    // Starts the next record; number is used in messages only, and the byte
    // count is there so that both readers take the same calls.
    void begin_record(int number, std::int64_t needed_bytes = 0);
    std::int32_t integer();
    double real();
    void integers(std::int32_t* dst, std::int64_t n);
    void reals(double* dst, std::int64_t n);
    // Skips the rest of the line of the record's last value, or, for a
    // record with no values, one whole line.
    void end_record();
    // Whether the source has no byte left to read.
    bool at_end();

private:
    // Finds the next value of the record; on return [tok_, tok_end_) holds it.
    void next_token(const char* what);
    bool fill(std::size_t keep_from);
    [[noreturn]] void refuse(const std::string& cause) const;
    std::string token_text() const;

    ByteSource& source_;
    std::unique_ptr<char[]> buf_;
    const char* pos_;
    const char* end_;
    const char* tok_ = nullptr;
    const char* tok_end_ = nullptr;
    bool at_eof_ = false;
    bool comma_seen_ = false;
    bool got_value_ = false;
    std::int64_t repeat_left_ = 0;  // further uses of the current token
    std::int64_t line_ = 1;
    int record_ = 0;
    std::int64_t values_read_ = 0;
};

}  // namespace cellplot
