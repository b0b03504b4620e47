// Text forms of the numbers in the piece files.
#pragma once

namespace cellplot {

// Writes v in the Fortran edit descriptor 1PE12.4: exactly 12 characters,
// right-aligned, five significant digits correctly rounded (ties to even),
// "E+dd" exponents, "+ddd"/"-ddd" for three-digit exponents, and NaN,
// Infinity, -Infinity right-aligned.  Returns out + 12.
char* put_real(char* out, double v) noexcept;

}  // namespace cellplot
