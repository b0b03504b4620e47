#include "real_text.hpp"

#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "pow10_table.hpp"

namespace cellplot {

namespace {

constexpr char digit_pairs[201] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Writes the field " sd.dddd" + exponent from the five-digit mantissa
// (10000..99999) and the decimal exponent.  Fortran's Ew.d drops the "E"
// when the exponent needs three digits: "+ddd" / "-ddd".
inline char* put_digits(char* out, bool negative, std::uint32_t mant, int exp10) noexcept
{
    char f[12];
    std::uint32_t lead = mant / 10000;
    std::uint32_t rest = mant - lead * 10000;
    std::uint32_t p1 = rest / 100;
    std::uint32_t p2 = rest - p1 * 100;
    f[0] = ' ';
    f[1] = negative ? '-' : ' ';
    f[2] = static_cast<char>('0' + lead);
    f[3] = '.';
    std::memcpy(f + 4, digit_pairs + 2 * p1, 2);
    std::memcpy(f + 6, digit_pairs + 2 * p2, 2);
    char sign = exp10 < 0 ? '-' : '+';
    std::uint32_t a = static_cast<std::uint32_t>(exp10 < 0 ? -exp10 : exp10);
    if (a < 100) {
        f[8] = 'E';
        f[9] = sign;
        std::memcpy(f + 10, digit_pairs + 2 * a, 2);
    } else {
        std::uint32_t h = a / 100;
        f[8] = sign;
        f[9] = static_cast<char>('0' + h);
        std::memcpy(f + 10, digit_pairs + 2 * (a - h * 100), 2);
    }
    std::memcpy(out, f, 12);
    return out + 12;
}

// The exact path for values within a hair of a rounding tie: glibc's printf
// converts the exact binary value and rounds ties to even.
char* put_real_exact(char* out, double v) noexcept
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.4E", v);
    // buf is [-]d.ddddE(+|-)dd[d]
    const char* p = buf;
    bool negative = *p == '-';
    if (negative) ++p;
    std::uint32_t mant = static_cast<std::uint32_t>(p[0] - '0') * 10000 +
                         static_cast<std::uint32_t>(p[2] - '0') * 1000 +
                         static_cast<std::uint32_t>(p[3] - '0') * 100 +
                         static_cast<std::uint32_t>(p[4] - '0') * 10 +
                         static_cast<std::uint32_t>(p[5] - '0');
    int exp10 = 0;
    for (const char* q = p + 8; *q; ++q) exp10 = exp10 * 10 + (*q - '0');
    if (p[7] == '-') exp10 = -exp10;
    return put_digits(out, negative, mant, exp10);
}

struct Scaled {
    std::uint64_t hi;  // the scaled value in fixed point, `shift` fraction bits
    int shift;
};

// m * 2^e2 * 10^j, rounded down, as a fixed-point number whose integer part
// lies near 10^4..2*10^5.  The result is below the true value by less than
// two units of its last bit: the table entry is rounded down (less than
// m units of the 128-bit product) and the low 64 bits are dropped.
inline Scaled scale(std::uint64_t m, int e2, int j) noexcept
{
    const detail::Pow10& p = detail::pow10_table[j - detail::pow10_min];
    unsigned __int128 prod = static_cast<unsigned __int128>(m) * p.mant;
    return {static_cast<std::uint64_t>(prod >> 64), -(e2 + p.exp) - 64};
}

}  // namespace

char* put_real(char* out, double v) noexcept
{
    std::uint64_t bits = std::bit_cast<std::uint64_t>(v);
    bool negative = (bits >> 63) != 0;
    std::uint64_t frac = bits & ((std::uint64_t{1} << 52) - 1);
    int biased = static_cast<int>((bits >> 52) & 0x7ff);

    if (biased == 0x7ff) {
        const char* text = frac != 0 ? "         NaN" : negative ? "   -Infinity" : "    Infinity";
        std::memcpy(out, text, 12);
        return out + 12;
    }
    std::uint64_t m;
    int e2;
    if (biased != 0) {
        m = (frac | (std::uint64_t{1} << 52)) << 11;
        e2 = biased - 1075 - 11;
    } else {
        if (frac == 0) {
            std::memcpy(out, negative ? " -0.0000E+00" : "  0.0000E+00", 12);
            return out + 12;
        }
        int s = std::countl_zero(frac);
        m = frac << s;
        e2 = -1074 - s;
    }
    // |v| = m * 2^e2 with m in [2^63, 2^64), so floor(log10 |v|) is k0 or
    // k0 + 1.  Scale for both and keep the one whose integer part has five
    // digits.  78913 / 2^18 is log10(2) closely enough for these exponents.
    int k0 = ((e2 + 63) * 78913) >> 18;
    Scaled a = scale(m, e2, 4 - k0);
    Scaled b = scale(m, e2, 3 - k0);
    bool use_b = (a.hi >> a.shift) >= 100000;
    Scaled y = use_b ? b : a;
    int exp10 = use_b ? k0 + 1 : k0;

    std::uint64_t fraction = y.hi & ((std::uint64_t{1} << y.shift) - 1);
    std::uint64_t half = std::uint64_t{1} << (y.shift - 1);
    // The true value lies in [y, y + 2 units): it rounds up when the
    // fraction is above one half, down when fraction + 2 <= half; the two
    // fractions between may be a tie or either side of one.
    if (fraction - (half - 1) <= 1) return put_real_exact(out, v);
    std::uint32_t mant = static_cast<std::uint32_t>(y.hi >> y.shift) + (fraction > half);
    // 9.99995 rounds to 10.000: one digit more, so 1.0000 with the next
    // exponent.  A value just below a power of ten that the table gives as
    // 9999.99... ends here too.
    if (mant >= 100000) {
        mant = 10000;
        ++exp10;
    }
    return put_digits(out, negative, mant, exp10);
}

}  // namespace cellplot
