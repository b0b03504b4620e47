#include "write/real_text.hpp"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "write/pow10_table.hpp"

// The field is built from the exact binary value |v| = m * 2^e2: scaled by
// a power of ten from a table in 64x64-bit integer arithmetic, the integer
// part gives the five digits and the fraction the rounding.  The scaled
// value is known to within two units of its last bit, so only values within
// that distance of a rounding tie (exact ties such as 12344.5 among them)
// take the exact path, which is glibc's printf.

namespace cellplot {

namespace {

constexpr int pow10_count = detail::pow10_max - detail::pow10_min + 1;
// Binades [2^(e2+63), 2^(e2+64)), e2 = e2_min..e2_max, of finite doubles.
constexpr int e2_min = -1074 - 63;
constexpr int e2_max = 1023 - 63;

// floor(e log10 2) for |e| <= 2620
constexpr std::int64_t log10_pow2(std::int64_t e)
{
    return (e * 78913) >> 18;
}

constexpr int exponent_min = -324;  // decimal exponents after rounding
constexpr int exponent_max = 308;

// Every table of the fast path in one object, so that one base address
// serves all its loads.
struct Tables {
    // The power-of-ten table split by field: an entry is one indexed load.
    std::uint64_t pow10_mant[pow10_count];
    std::int64_t pow10_exp[pow10_count];
    // For each binade, the smallest m (m * 2^e2 being the value) that
    // reaches the power of ten inside the binade, or 2^64 - 1 where there is
    // none: with k0 = floor((e2 + 63) log10 2), floor(log10 |v|) is
    // k0 + (m >= threshold).  The table mantissa is rounded down, so a value
    // just below an inexact power of ten counts as reaching it; it then
    // scales to 9999.99..., rounds to 10000 and gives the same text as when
    // the rounding carries to a new digit.
    std::uint64_t decade_threshold[e2_max - e2_min + 1];
    // The last four characters of every field, "E+dd" / "E-dd", or "+ddd" /
    // "-ddd" when the exponent needs three digits (Fortran's Ew.d drops the
    // "E" then); first character in the low byte.
    std::uint32_t exponent_field[exponent_max - exponent_min + 1];
    // "00".."99", first character in the low byte.
    std::uint16_t digit_pair[100];
};

constexpr Tables tables = [] {
    Tables t{};
    for (int i = 0; i < pow10_count; ++i) {
        t.pow10_mant[i] = detail::pow10_table[i].mant;
        t.pow10_exp[i] = detail::pow10_table[i].exp;
    }
    for (int e2 = e2_min; e2 <= e2_max; ++e2) {
        auto j = log10_pow2(e2 + 63) + 1 - detail::pow10_min;
        t.decade_threshold[e2 - e2_min] =
            detail::pow10_table[j].exp == e2 ? detail::pow10_table[j].mant : ~std::uint64_t{0};
    }
    for (int e = exponent_min; e <= exponent_max; ++e) {
        std::uint32_t sign = e < 0 ? '-' : '+';
        std::uint32_t a = static_cast<std::uint32_t>(e < 0 ? -e : e);
        std::uint32_t c[4] = {'E', sign, '0' + a / 10, '0' + a % 10};
        if (a >= 100) {
            c[0] = sign;
            c[1] = '0' + a / 100;
            c[2] = '0' + a / 10 % 10;
        }
        t.exponent_field[e - exponent_min] = c[0] | c[1] << 8 | c[2] << 16 | c[3] << 24;
    }
    for (int i = 0; i < 100; ++i)
        t.digit_pair[i] = static_cast<std::uint16_t>(('0' + i / 10) | ('0' + i % 10) << 8);
    return t;
}();

inline void store_word(char* out, std::uint32_t w) noexcept
{
    if constexpr (std::endian::native == std::endian::big)
        w = __builtin_bswap32(w);
    std::memcpy(out, &w, 4);
}

// Writes the field " sd.dddd" + exponent from the five-digit mantissa
// (10000..99999) and the decimal exponent.
inline char* put_digits(char* out, bool negative, std::uint32_t mant, std::int64_t exp10) noexcept
{
    std::uint32_t lead = static_cast<std::uint32_t>((std::uint64_t{mant} * 429497) >> 32);
    std::uint32_t rest = mant - lead * 10000;
    std::uint32_t p1 = (rest * 5243) >> 19;  // rest / 100 for rest < 43699
    std::uint32_t p2 = rest - p1 * 100;
    // "  d." or " -d.", first character in the low byte.
    std::uint32_t head = 0x2e302020u + (lead << 16) + (negative ? 0x0d00u : 0u);
    store_word(out, head);
    store_word(out + 4, tables.digit_pair[p1] | std::uint32_t{tables.digit_pair[p2]} << 16);
    store_word(out + 8, tables.exponent_field[exp10 - exponent_min]);
    return out + 12;
}

// The exact path for values within a hair of a rounding tie: glibc's printf
// converts the exact binary value and rounds ties to even.
[[gnu::noinline, gnu::cold]] char* put_real_exact(char* out, double v) noexcept
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.4E", v);
    // buf is [-]d.ddddE(+|-)dd[d]
    const char* p = buf;
    bool negative = *p == '-';
    if (negative)
        ++p;
    std::uint32_t mant = static_cast<std::uint32_t>(p[0] - '0') * 10000 +
                         static_cast<std::uint32_t>(p[2] - '0') * 1000 +
                         static_cast<std::uint32_t>(p[3] - '0') * 100 +
                         static_cast<std::uint32_t>(p[4] - '0') * 10 +
                         static_cast<std::uint32_t>(p[5] - '0');
    std::int64_t exp10 = 0;
    for (const char* q = p + 8; *q; ++q)
        exp10 = exp10 * 10 + (*q - '0');
    if (p[7] == '-')
        exp10 = -exp10;
    return put_digits(out, negative, mant, exp10);
}

// Values within the window of a tie: decides the rounding on the exact value
// y = m * 2^e2 * 10^(4 - exp10) in 128-bit integers, which hold it whenever
// the power of ten is at most 5^27 either way.  Every exact tie of a double
// lies there (cell corners such as 0.00390625 are ties at five digits);
// what does not is left to printf.
[[gnu::noinline]] char* put_near_tie(char* out, double v, std::uint64_t m, std::int64_t e2,
                                     std::int64_t exp10) noexcept
{
    using u128 = unsigned __int128;
    constexpr int max_power = 27;  // 5^27 < 2^63
    const std::int64_t s = 4 - exp10;
    if (s > max_power || s < -max_power)
        return put_real_exact(out, v);
    u128 five = 1;
    for (std::int64_t k = 0; k < (s < 0 ? -s : s); ++k)
        five *= 5;
    // y = num / den exactly, with den a power of two times a power of five.
    u128 num = m, den = 1;
    std::int64_t two = e2 + s;  // y = m * 5^s * 2^(e2 + s)
    if (s >= 0)
        num *= five;
    else
        den = five;
    if (two >= 0)
        num <<= two;  // y is below 2^17: num stays within 128 bits
    else
        den <<= -two;
    const u128 whole = num / den;
    const u128 rest = num % den;
    std::uint32_t mant = static_cast<std::uint32_t>(whole);
    if (2 * rest > den || (2 * rest == den && (mant & 1)))
        ++mant;
    if (mant >= 100000) {
        mant = 10000;
        ++exp10;
    }
    return put_digits(out, std::signbit(v), mant, exp10);
}

// |v| = m * 2^e2, m in [2^63, 2^64).
inline char* put_finite(char* out, double v, std::uint64_t m, std::int64_t e2) noexcept
{
    bool negative = std::signbit(v);
    std::int64_t exp10 = log10_pow2(e2 + 63) + (m >= tables.decade_threshold[e2 - e2_min]);

    // y = |v| * 10^(4 - exp10), in 10^4..10^5, as the fixed-point number
    // hi * 2^-shift.  It is below the true value by less than two units of
    // hi: the table entry is rounded down (less than m units of the 128-bit
    // product) and the low 64 bits are dropped.  hi >= 2^62 and y < 10^5 + 1
    // keep shift within 45..50.
    std::int64_t j = 4 - exp10 - detail::pow10_min;
    unsigned __int128 prod = static_cast<unsigned __int128>(m) * tables.pow10_mant[j];
    std::uint64_t hi = static_cast<std::uint64_t>(prod >> 64);
    std::int64_t shift = -(e2 + tables.pow10_exp[j]) - 64;
    // The fraction of y aligned to the top bit: one half is 2^63, and the
    // two-unit error of hi is at most 2 << (64 - shift) <= 2^20 here.
    std::uint64_t fraction = hi << (64 - shift);
    constexpr std::uint64_t half = std::uint64_t{1} << 63;
    constexpr std::uint64_t window = std::uint64_t{1} << 21;
    // Above one half rounds up, at or below half - window rounds down; in
    // between lies a tie or a value too close to one to tell here.
    if (fraction - (half - window + 1) < window) [[unlikely]]
        return put_near_tie(out, v, m, e2, exp10);
    std::uint32_t mant = static_cast<std::uint32_t>(hi >> shift) + (fraction > half);
    // 9.99995 rounds to 10.000: one digit more, so 1.0000 with the next
    // exponent.  A value just below a power of ten that the table gives as
    // 9999.99... ends here too.
    if (mant >= 100000) [[unlikely]] {
        mant = 10000;
        ++exp10;
    }
    return put_digits(out, negative, mant, exp10);
}

// Zero, subnormals, infinities and NaN.
[[gnu::noinline]] char* put_unusual(char* out, double v) noexcept
{
    std::uint64_t bits = std::bit_cast<std::uint64_t>(v);
    bool negative = (bits >> 63) != 0;
    std::uint64_t frac = bits & ((std::uint64_t{1} << 52) - 1);
    const char* text;
    if ((bits >> 52 & 0x7ff) == 0x7ff)
        text = frac != 0 ? "         NaN" : negative ? "   -Infinity" : "    Infinity";
    else if (frac == 0)
        text = negative ? " -0.0000E+00" : "  0.0000E+00";
    else {
        int s = std::countl_zero(frac);
        return put_finite(out, v, frac << s, -1074 - s);
    }
    std::memcpy(out, text, 12);
    return out + 12;
}

}  // namespace

char* put_real(char* out, double v) noexcept
{
    std::uint64_t bits = std::bit_cast<std::uint64_t>(v);
    std::uint32_t biased = static_cast<std::uint32_t>(bits >> 52) & 0x7ff;
    if (biased - 1 >= 0x7fe) [[unlikely]]  // biased exponent 0 or 0x7ff
        return put_unusual(out, v);
    // Shifting out the sign and all exponent bits but the lowest leaves the
    // fraction below bit 63; setting bit 63 adds the implicit one.
    return put_finite(out, v, bits << 11 | std::uint64_t{1} << 63,
                      std::int64_t{biased} - 1075 - 11);
}

}  // namespace cellplot
