// The 1PE12.4 number text of put_real, as exact strings.  Golden texts are
// typed in; each was checked against a Fortran formatted WRITE.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "write/real_text.hpp"

namespace {

std::string text(double v)
{
    char buf[16];
    std::memset(buf, '#', sizeof buf);
    char* end = cellplot::put_real(buf, v);
    EXPECT_EQ(end, buf + 12);
    EXPECT_EQ(buf[12], '#') << "wrote past its 12 characters";
    return std::string(buf, 12);
}

double from_bits(std::uint64_t b)
{
    double v;
    std::memcpy(&v, &b, 8);
    return v;
}

TEST(real_text, writes_twelve_characters_right_aligned_with_sign)
{
    EXPECT_EQ(text(1234.56), "  1.2346E+03");
    EXPECT_EQ(text(-0.5), " -5.0000E-01");
    EXPECT_EQ(text(1.0), "  1.0000E+00");
    EXPECT_EQ(text(-98765.4321), " -9.8765E+04");
    EXPECT_EQ(text(0.001), "  1.0000E-03");
    EXPECT_EQ(text(3.14159265358979), "  3.1416E+00");
}

TEST(real_text, zero_keeps_its_sign)
{
    EXPECT_EQ(text(0.0), "  0.0000E+00");
    EXPECT_EQ(text(-0.0), " -0.0000E+00");
}

TEST(real_text, exact_ties_round_to_even)
{
    EXPECT_EQ(text(12344.5), "  1.2344E+04");
    EXPECT_EQ(text(12345.5), "  1.2346E+04");
    EXPECT_EQ(text(-12344.5), " -1.2344E+04");
    EXPECT_EQ(text(1.03125), "  1.0312E+00");     // 33/32
    EXPECT_EQ(text(1.09375), "  1.0938E+00");     // 35/32
    EXPECT_EQ(text(0.00390625), "  3.9062E-03");  // 2^-8
    EXPECT_EQ(text(123445000000.0), "  1.2344E+11");
    EXPECT_EQ(text(123455000000.0), "  1.2346E+11");
}

TEST(real_text, values_beside_a_tie_round_towards_their_side)
{
    EXPECT_EQ(text(std::nextafter(12344.5, 0.0)), "  1.2344E+04");
    EXPECT_EQ(text(std::nextafter(12344.5, 1e9)), "  1.2345E+04");
    EXPECT_EQ(text(std::nextafter(12345.5, 0.0)), "  1.2345E+04");
    EXPECT_EQ(text(std::nextafter(12345.5, 1e9)), "  1.2346E+04");
    // Decimal ties that binary cannot hold: the stored double decides.
    EXPECT_EQ(text(1.00005), "  1.0001E+00");  // stored above 1.00005
    EXPECT_EQ(text(1.00015), "  1.0002E+00");  // stored above 1.00015
    EXPECT_EQ(text(2.00025), "  2.0002E+00");  // stored below
    EXPECT_EQ(text(0.30645), "  3.0645E-01");  // five digits, no rounding
}

TEST(real_text, rounding_up_to_ten_moves_the_exponent)
{
    EXPECT_EQ(text(9.99995), "  1.0000E+01");
    EXPECT_EQ(text(9.99994999), "  9.9999E+00");
    EXPECT_EQ(text(99999.5), "  1.0000E+05");
    EXPECT_EQ(text(99995.0), "  9.9995E+04");
    EXPECT_EQ(text(-9.99996e-6), " -1.0000E-05");
    EXPECT_EQ(text(1e5), "  1.0000E+05");
    EXPECT_EQ(text(std::nextafter(1e5, 0.0)), "  1.0000E+05");
    EXPECT_EQ(text(1e-5), "  1.0000E-05");
    EXPECT_EQ(text(1e23), "  1.0000E+23");
}

TEST(real_text, three_digit_exponents_drop_the_e)
{
    EXPECT_EQ(text(1e100), "  1.0000+100");
    EXPECT_EQ(text(2.5e-123), "  2.5000-123");
    EXPECT_EQ(text(9.9999e99), "  9.9999E+99");
    EXPECT_EQ(text(9.99996e99), "  1.0000+100");
    EXPECT_EQ(text(1e-99), "  1.0000E-99");
    EXPECT_EQ(text(9.99996e-101), "  1.0000-100");
    EXPECT_EQ(text(9.99994e-101), "  9.9999-101");
    EXPECT_EQ(text(-1.5e-100), " -1.5000-100");
}

TEST(real_text, extremes_and_subnormals)
{
    EXPECT_EQ(text(DBL_MAX), "  1.7977+308");
    EXPECT_EQ(text(-DBL_MAX), " -1.7977+308");
    EXPECT_EQ(text(DBL_MIN), "  2.2251-308");
    EXPECT_EQ(text(DBL_TRUE_MIN), "  4.9407-324");
    EXPECT_EQ(text(-DBL_TRUE_MIN), " -4.9407-324");
    EXPECT_EQ(text(from_bits(0x000fffffffffffffu)), "  2.2251-308");  // largest subnormal
    EXPECT_EQ(text(from_bits(0x0000000000000002u)), "  9.8813-324");
    EXPECT_EQ(text(from_bits(0x0000000000000003u)), "  1.4822-323");
    EXPECT_EQ(text(1e-310), "  1.0000-310");
}

TEST(real_text, not_a_number_and_infinities_are_words)
{
    EXPECT_EQ(text(std::numeric_limits<double>::quiet_NaN()), "         NaN");
    EXPECT_EQ(text(-std::numeric_limits<double>::quiet_NaN()), "         NaN");
    EXPECT_EQ(text(from_bits(0x7ff0000000000001u)), "         NaN");  // signalling
    EXPECT_EQ(text(INFINITY), "    Infinity");
    EXPECT_EQ(text(-INFINITY), "   -Infinity");
}

TEST(real_text, every_five_digit_mantissa_is_written_as_its_digits)
{
    for (int n = 10000; n <= 99999; ++n) {
        std::string digits = std::to_string(n);
        std::string want = "  " + digits.substr(0, 1) + "." + digits.substr(1) + "E+04";
        ASSERT_EQ(text(n), want);
        ASSERT_EQ(text(-n), " -" + want.substr(2));
    }
}

TEST(real_text, every_decimal_exponent_has_its_field)
{
    for (int k = -324; k <= 308; ++k) {
        int a = k < 0 ? -k : k;
        std::string want(a >= 100 ? "" : "E");
        want += k < 0 ? '-' : '+';
        if (a < 10)
            want += '0';
        want += std::to_string(a);
        // 5 * 10^k stays in its decade even where subnormals round it.
        std::string literal(k < 308 ? "5e" : "1e");
        literal += std::to_string(k);
        double v = std::strtod(literal.c_str(), nullptr);
        ASSERT_EQ(text(v).substr(8), want) << k;
    }
}

TEST(real_text, fields_follow_each_other_without_separator)
{
    char line[36];
    char* p = line;
    p = cellplot::put_real(p, 1.0);
    p = cellplot::put_real(p, -2.0);
    p = cellplot::put_real(p, 1e100);
    EXPECT_EQ(p, line + 36);
    EXPECT_EQ(std::string(line, 36), "  1.0000E+00 -2.0000E+00  1.0000+100");
}

}  // namespace
