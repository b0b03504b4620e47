// An integer written as a Fortran Iw.m edit descriptor writes it: at least
// min_digits digits (leading zeros), a minus sign when negative, right-aligned
// in width columns, or width asterisks when that does not fit.  Iw is
// min_digits 1, Iw.w (file-name numbers) is min_digits = width.
#pragma once

#include <cstdint>
#include <string>

namespace cellplot {

inline std::string integer_field(std::int64_t value, int width, int min_digits = 1)
{
    std::string digits = std::to_string(value < 0 ? -static_cast<std::uint64_t>(value)
                                                  : static_cast<std::uint64_t>(value));
    if (digits.size() < static_cast<std::size_t>(min_digits))
        digits.insert(0, static_cast<std::size_t>(min_digits) - digits.size(), '0');
    if (value < 0)
        digits.insert(0, 1, '-');
    if (digits.size() > static_cast<std::size_t>(width))
        return std::string(static_cast<std::size_t>(width), '*');
    return std::string(static_cast<std::size_t>(width) - digits.size(), ' ') + digits;
}

}  // namespace cellplot
