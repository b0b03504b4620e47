// Conversion between cell coordinates and key paths (not installed).
//
// Level 1 takes the most significant coordinate bit, so a key's path is the
// Morton interleave of the coordinates with their bit order reversed.  Both
// directions work at level 18 and shift to the level wanted: a coordinate
// bit t lands in path bit 3(17 - t) + axis - 1, and a path of level L is the
// level-18 path shifted right by 3(18 - L).  Nine-bit table lookups do the
// reversal and the interleave in one step.
//
// CELLKEYS_USE_BMI2 selects the BMI2 deposit/extract instructions for the
// interleave; it is on when the compiler targets BMI2 (for instance with
// -march=native on a machine that has it) and the portable tables are used
// otherwise.  Both give the same results.
#ifndef CELLKEYS_KEY_MORTON_HPP
#define CELLKEYS_KEY_MORTON_HPP

#include <array>
#include <cstdint>

#if defined(__BMI2__) && !defined(CELLKEYS_PORTABLE_ONLY)
#define CELLKEYS_USE_BMI2 1
#include <immintrin.h>
#else
#define CELLKEYS_USE_BMI2 0
#endif

namespace cellkeys::detail {
// Internal linkage: every module keeps its own copy, and the archive's
// external symbols stay the routines alone.
namespace {

constexpr std::uint32_t coordinate_mask = (std::uint32_t{1} << 18) - 1;

#if !CELLKEYS_USE_BMI2
// spread_reversed[x]: bit u of the 9-bit x moved to bit 51 - 3u, the place
// of coordinate bit u of an axis-1 coordinate in a level-18 path.
inline constexpr auto make_spread_reversed()
{
    std::array<std::uint64_t, 512> t{};
    for (int x = 0; x < 512; ++x)
        for (int u = 0; u < 9; ++u)
            if ((x >> u) & 1)
                t[x] |= std::uint64_t{1} << (51 - 3 * u);
    return t;
}
constexpr auto spread_reversed = make_spread_reversed();

// gather_reversed[x]: the three digits of a 9-bit path chunk as three 3-bit
// coordinate parts, the first digit most significant, packed at bits 0, 21
// and 42 for axes 1, 2 and 3.
inline constexpr auto make_gather_reversed()
{
    std::array<std::uint64_t, 512> t{};
    for (int x = 0; x < 512; ++x)
        for (int v = 0; v < 3; ++v)
            for (int a = 0; a < 3; ++a)
                if ((x >> (3 * v + a)) & 1)
                    t[x] |= std::uint64_t{1} << (21 * a + 2 - v);
    return t;
}
constexpr auto gather_reversed = make_gather_reversed();

inline std::uint64_t spread_axis(std::uint32_t c)
{
    return spread_reversed[c & 511] | (spread_reversed[(c >> 9) & 511] >> 27);
}
#else
inline std::uint32_t reverse18(std::uint32_t c)
{
    c = ((c & 0x55555555u) << 1) | ((c >> 1) & 0x55555555u);
    c = ((c & 0x33333333u) << 2) | ((c >> 2) & 0x33333333u);
    c = ((c & 0x0F0F0F0Fu) << 4) | ((c >> 4) & 0x0F0F0F0Fu);
    return __builtin_bswap32(c) >> 14;
}
// Path bits of axis 1: bit 0 of every level's digit.
inline constexpr std::uint64_t make_axis1_path_bits()
{
    std::uint64_t m = 0;
    for (int d = 0; d < 18; ++d)
        m |= std::uint64_t{1} << (3 * d);
    return m;
}
constexpr std::uint64_t axis1_path_bits = make_axis1_path_bits();
#endif

// Path of levels 1 to 18 of the cell whose level-18 coordinates are i, j, k
// (each taken modulo 2^18).
inline std::uint64_t path18_from_coordinates(std::uint32_t i, std::uint32_t j, std::uint32_t k)
{
#if CELLKEYS_USE_BMI2
    return _pdep_u64(reverse18(i & coordinate_mask), axis1_path_bits)
         | _pdep_u64(reverse18(j & coordinate_mask), axis1_path_bits << 1)
         | _pdep_u64(reverse18(k & coordinate_mask), axis1_path_bits << 2);
#else
    return spread_axis(i) | (spread_axis(j) << 1) | (spread_axis(k) << 2);
#endif
}

// Coordinates of the cell of a level-18 path (54 bits).
inline void coordinates_from_path18(std::uint64_t path, std::uint32_t* i, std::uint32_t* j,
                                    std::uint32_t* k)
{
#if CELLKEYS_USE_BMI2
    *i = reverse18(static_cast<std::uint32_t>(_pext_u64(path, axis1_path_bits)));
    *j = reverse18(static_cast<std::uint32_t>(_pext_u64(path, axis1_path_bits << 1)));
    *k = reverse18(static_cast<std::uint32_t>(_pext_u64(path, axis1_path_bits << 2)));
#else
    std::uint64_t packed = 0;
    for (int c = 0; c < 6; ++c)
        packed |= gather_reversed[(path >> (9 * c)) & 511] << (15 - 3 * c);
    *i = static_cast<std::uint32_t>(packed) & coordinate_mask;
    *j = static_cast<std::uint32_t>(packed >> 21) & coordinate_mask;
    *k = static_cast<std::uint32_t>(packed >> 42) & coordinate_mask;
#endif
}

} // namespace
} // namespace cellkeys::detail

#endif
