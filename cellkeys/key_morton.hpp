// Conversion between cell coordinates and key paths (not installed).
//
// Level 1 takes the most significant coordinate bit, so a key's path is the
// Morton interleave of the coordinates with their bit order reversed.  Both
// directions work at level 18 and shift to the level wanted: a coordinate
// bit t lands in path bit 3(17 - t) + axis - 1, and a path of level L is the
// level-18 path shifted right by 3(18 - L).  Nine-bit table lookups do the
// reversal and the interleave in one step.
//
// A BMI2 deposit/extract variant was measured slower than these tables (the
// bit reversal it still needs costs more than the instructions save), so
// the tables are the only path.
#ifndef CELLKEYS_KEY_MORTON_HPP
#define CELLKEYS_KEY_MORTON_HPP

#include <array>
#include <cstdint>

namespace cellkeys::detail {
// Internal linkage: every module keeps its own copy, and the archive's
// external symbols stay the routines alone.
namespace {

constexpr std::uint32_t coordinate_mask = (std::uint32_t{1} << 18) - 1;

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
[[maybe_unused]] constexpr auto spread_reversed = make_spread_reversed();

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
[[maybe_unused]] constexpr auto gather_reversed = make_gather_reversed();

inline std::uint64_t spread_axis(std::uint32_t c)
{
    return spread_reversed[c & 511] | (spread_reversed[(c >> 9) & 511] >> 27);
}

// Path of levels 1 to 18 of the cell whose level-18 coordinates are i, j, k
// (each taken modulo 2^18).
inline std::uint64_t path18_from_coordinates(std::uint32_t i, std::uint32_t j, std::uint32_t k)
{
    return spread_axis(i) | (spread_axis(j) << 1) | (spread_axis(k) << 2);
}

// The level-18 coordinates of a path, packed at bits 0, 21 and 42 for axes
// 1, 2 and 3.
inline std::uint64_t packed_coordinates_from_path18(std::uint64_t path)
{
    std::uint64_t packed = 0;
    for (int c = 0; c < 6; ++c)
        packed |= gather_reversed[(path >> (9 * c)) & 511] << (15 - 3 * c);
    return packed;
}

// Per level n: 2^n - 1 in each of the three packed coordinate fields.
inline constexpr auto make_field_masks()
{
    std::array<std::uint64_t, 19> t{};
    for (int n = 0; n <= 18; ++n)
        for (int a = 0; a < 3; ++a)
            t[n] |= ((std::uint64_t{1} << n) - 1) << (21 * a);
    return t;
}
[[maybe_unused]] constexpr auto field_masks = make_field_masks();

} // namespace
} // namespace cellkeys::detail

#endif
