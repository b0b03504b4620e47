// put_real against a Fortran program's formatted WRITE with 1PE12.4 (gfortran's
// run-time library converts the exact binary value), over a few million values:
// random bit patterns, random subnormals, typical magnitudes, values at and
// beside five-digit rounding ties in every decade, and the carries to the
// next power of ten.
//
// Where the two are allowed to differ: nowhere.  gfortran writes NaN,
// Infinity, -Infinity, negative zero and three-digit exponents ("1.0000+100")
// exactly as required; it writes every NaN, whatever its sign or payload, as
// "NaN", and so does put_real.  Should a difference ever be allowed, it goes
// in expected_text() below, with its reason.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

#include "write/real_text.hpp"

namespace {

std::uint64_t bits_of(double v)
{
    std::uint64_t b;
    std::memcpy(&b, &v, 8);
    return b;
}

double from_bits(std::uint64_t b)
{
    double v;
    std::memcpy(&v, &b, 8);
    return v;
}

// The value and up to `steps` neighbours on either side.
void add_with_neighbours(std::vector<double>& out, double v, int steps)
{
    out.push_back(v);
    double lo = v, hi = v;
    for (int i = 0; i < steps; ++i) {
        lo = std::nextafter(lo, -INFINITY);
        hi = std::nextafter(hi, INFINITY);
        out.push_back(lo);
        out.push_back(hi);
    }
}

std::vector<double> make_values()
{
    std::vector<double> v;
    v.reserve(2'600'000);
    std::mt19937_64 rng(20261208);

    // Special values and the ends of the range.
    for (double s : std::initializer_list<double>{0.0, -0.0, INFINITY, -INFINITY, DBL_MAX, -DBL_MAX,
                                                  DBL_MIN, -DBL_MIN, DBL_TRUE_MIN, -DBL_TRUE_MIN,
                                                  12344.5, 12345.5, -12344.5, 9.99995, 99995.0})
        add_with_neighbours(v, s, 3);
    for (std::uint64_t nan : {0x7ff8000000000000u, 0xfff8000000000000u, 0x7ff0000000000001u,
                              0xfff0000000000001u, 0x7fffffffffffffffu, 0xffffffffffffffffu})
        v.push_back(from_bits(nan));
    v.push_back(from_bits(0x000fffffffffffffu));  // largest subnormal
    v.push_back(from_bits(0x8010000000000000u));  // -DBL_MIN

    // Random bit patterns: every exponent, about one in 2048 NaN or infinite.
    for (int i = 0; i < 800'000; ++i)
        v.push_back(from_bits(rng()));
    // Random subnormals of either sign.
    for (int i = 0; i < 50'000; ++i)
        v.push_back(from_bits(rng() & 0x800fffffffffffffu));
    // Typical data: log-uniform magnitudes 1e-3..1e3 and fractions in [0, 1).
    std::uniform_real_distribution<double> lg(-3.0, 3.0), unit(0.0, 1.0);
    for (int i = 0; i < 200'000; ++i)
        v.push_back((i & 1 ? -1.0 : 1.0) * std::pow(10.0, lg(rng)));
    for (int i = 0; i < 100'000; ++i)
        v.push_back(unit(rng));

    // In every decade: the doubles nearest to d.dddd5 * 10^k and two
    // neighbours either side, and the carries 9.99995 * 10^k and 10^k.
    std::uniform_int_distribution<int> five(10000, 99999);
    char text[40];
    for (int k = -324; k <= 308; ++k) {
        for (int i = 0; i < 240; ++i) {
            std::snprintf(text, sizeof text, "%d5e%d", five(rng), k - 5);
            double x = std::strtod(text, nullptr);
            if (x != 0 && std::isfinite(x))
                add_with_neighbours(v, x, 2);
        }
        for (const char* m : {"999995", "999994999", "9999950001", "1", "99999"}) {
            std::snprintf(text, sizeof text, "%se%d", m, k - (int)std::strlen(m) + 1);
            double x = std::strtod(text, nullptr);
            if (x != 0 && std::isfinite(x))
                add_with_neighbours(v, x, 2);
        }
    }

    // Exact ties: N + 1/2 scaled by 10^s, for every s where such doubles
    // exist (5^-s must divide the odd six-digit numerator when s < 0, and
    // the product must fit 53 bits when s >= 0), with their neighbours.
    for (int s = -8; s <= 17; ++s) {
        std::uint64_t first = 100005, step = 10;
        if (s < 0) {
            std::uint64_t p = 1;
            for (int i = 0; i < -s; ++i)
                p *= 5;
            first = p * ((100005 / p) | 1);  // odd multiples of 5^-s end in 5
            while (first < 100005)
                first += 2 * p;
            step = 2 * p;
        }
        std::uint64_t count = first > 999995 ? 0 : (999995 - first) / step + 1;
        step *= count > 2000 ? (count + 1999) / 2000 : 1;
        for (std::uint64_t num = first; num <= 999995; num += step) {
            double x;
            if (s >= 0) {
                unsigned __int128 scaled = num;
                for (int i = 0; i < s; ++i)
                    scaled *= 10;
                if (scaled >> 53)
                    break;
                x = static_cast<double>(static_cast<std::uint64_t>(scaled));
            } else {
                std::snprintf(text, sizeof text, "%llue%d", static_cast<unsigned long long>(num),
                              s);
                x = std::strtod(text, nullptr);
            }
            add_with_neighbours(v, x, 2);
        }
    }
    return v;
}

// The text the reference writes for v, changed where the required form is
// allowed to differ from it (nowhere at present, see the head of this file).
std::string expected_text(const char* reference_field, double /*v*/)
{
    return std::string(reference_field, 12);
}

TEST(real_text_reference, matches_fortran_formatted_write_on_millions_of_values)
{
    const std::vector<double> values = make_values();
    ASSERT_GT(values.size(), 2'000'000u);

    namespace fs = std::filesystem;
    fs::path dir =
        fs::temp_directory_path() / ("real_text_reference_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    fs::path in = dir / "values.bin", out = dir / "values.txt";
    {
        std::ofstream f(in, std::ios::binary);
        f.write(reinterpret_cast<const char*>(values.data()),
                static_cast<std::streamsize>(values.size() * sizeof(double)));
        ASSERT_TRUE(f.good());
    }
    std::string command =
        std::string("'") + REFERENCE_WRITER + "' '" + in.string() + "' '" + out.string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;

    std::ifstream f(out, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    fs::remove_all(dir);
    ASSERT_EQ(text.size(), values.size() * 13);

    std::size_t mismatches = 0;
    for (std::size_t i = 0; i < values.size(); ++i) {
        char mine[12];
        cellplot::put_real(mine, values[i]);
        const char* ref = text.data() + 13 * i;
        std::string want = expected_text(ref, values[i]);
        if (std::memcmp(mine, want.data(), 12) != 0 && ++mismatches <= 20) {
            ADD_FAILURE() << "value bits 0x" << std::hex << bits_of(values[i]) << std::dec << " ("
                          << std::string(ref, 12) << "): put_real wrote \"" << std::string(mine, 12)
                          << "\", expected \"" << want << "\"";
        }
    }
    EXPECT_EQ(mismatches, 0u) << "of " << values.size() << " values";
}

}  // namespace
