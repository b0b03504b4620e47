// Shared digit work of the cell-key routines (not installed).
//
// The 54 path bits of a key are handled as one 64-bit "path": bits 0 to 29
// of word 1 followed by bits 0 to 23 of word 2, so that the octant digit of
// level d sits in path bits 3(d - 1) to 3(d - 1) + 2.  Unpacking n levels
// and repacking them then become a mask, and every routine that steps or
// compares digits works on whole 3-bit groups instead of digit arrays.
//
// Words are handled as their 32-bit patterns; the level is read with the
// truncating signed division the key layout is defined by.
//
// Internal headers keep their names in cellkeys::detail, helpers static
// inline and tables constexpr: every module keeps its own copy, and the
// archive's external symbols stay the routines alone.
#ifndef CELLKEYS_KEY_DIGITS_HPP
#define CELLKEYS_KEY_DIGITS_HPP

#include "cellkeys.h"

#include <bit>
#include <cstdint>

namespace cellkeys::detail {
constexpr std::int32_t max_level = 18;
constexpr int bits_per_level = 3;
constexpr std::uint64_t digit_mask = 7;  // one octant digit of a path
constexpr int digits_per_word = 10;      // levels held by word 1
constexpr int word1_path_bits = 30;
constexpr int word2_path_bits = 24;
constexpr int level_shift = 25;  // the level field's lowest bit
constexpr std::int32_t level_unit = std::int32_t{1} << level_shift;
constexpr std::uint64_t word1_path_mask = (std::uint64_t{1} << word1_path_bits) - 1;
constexpr std::uint64_t word2_path_mask = (std::uint64_t{1} << word2_path_bits) - 1;

static_assert(sizeof(CellKey) == 8, "a key is two adjacent 32-bit words");
static_assert(max_level * bits_per_level == word1_path_bits + word2_path_bits);

static inline bool level_in_range(std::int32_t level)
{
    return level >= 0 && level <= max_level;
}

// The key's level field: word 2 divided by 2^25, truncating toward zero.
static inline std::int32_t level_of(const CellKey* key)
{
    return key->word2 / level_unit;
}

// The path bits of levels 1 to 18 as stored, whatever the key's level.
static inline std::uint64_t path_of(const CellKey* key)
{
    const auto w1 = static_cast<std::uint32_t>(key->word1);
    const auto w2 = static_cast<std::uint32_t>(key->word2);
    return (w1 & word1_path_mask) | ((w2 & word2_path_mask) << word1_path_bits);
}

// Levels that still unpack within the key's two words and a digit array
// (or a path-bit array) when read from the stored words as they stand: past
// level 18 they take bit 24 and the level field's low bits.  Level 21 would
// need a third word.
constexpr std::int32_t max_unpacked_level = ck_digit_entries;

// Mask of the path bits of levels 1 to n, n in 0..21.
static inline std::uint64_t levels_mask(std::int32_t n)
{
    return (std::uint64_t{1} << (bits_per_level * n)) - 1;
}

// The stored bits of levels 1 to n (n 0..20): 30 bits of word 1, then
// word 2 as far as n reaches.
static inline std::uint64_t stored_path(const CellKey* key, std::int32_t n)
{
    const auto w1 = static_cast<std::uint32_t>(key->word1);
    const auto w2 = static_cast<std::uint32_t>(key->word2);
    return ((w1 & word1_path_mask) | (std::uint64_t{w2} << word1_path_bits)) & levels_mask(n);
}

// The path ck_to_octal_digits unpacks: the stored bits of levels 1 to the
// key's level (at least level 1), or none when the level field lies outside
// 0..20.
static inline std::uint64_t unpacked_path(const CellKey* key)
{
    const std::int32_t level = level_of(key);
    if (level < 0 || level > max_unpacked_level)
        return 0;
    return stored_path(key, level > 0 ? level : 1);
}

// Writes path (at most 54 bits) into key with level field m, word 1 first.
static inline void store_path(CellKey* key, std::uint64_t path, std::int32_t m)
{
    const auto w2 = static_cast<std::uint32_t>((path >> word1_path_bits) & word2_path_mask) +
                    static_cast<std::uint32_t>(m) * static_cast<std::uint32_t>(level_unit);
    key->word1 = static_cast<std::int32_t>(path & word1_path_mask);
    key->word2 = static_cast<std::int32_t>(w2);
}

// Octant digit of level d (1-based) of a path.
static inline std::int32_t digit_of(std::uint64_t path, std::int32_t d)
{
    return static_cast<std::int32_t>((path >> (bits_per_level * (d - 1))) & digit_mask);
}

// Level (1-based) of the digit group holding the highest set bit of x != 0.
static inline std::int32_t deepest_level(std::uint64_t x)
{
    return (std::bit_width(x) - 1) / bits_per_level + 1;
}

// Level (1-based) of the digit group holding the lowest set bit of x != 0.
static inline std::int32_t coarsest_level(std::uint64_t x)
{
    return std::countr_zero(x) / bits_per_level + 1;
}

// Digits 1..n of path (already masked to n levels) as one base-8 number,
// level 1 most significant, plus one; all 7s wrap to all 0s.
static inline std::uint64_t path_next(std::uint64_t path, std::int32_t n)
{
    const std::uint64_t not_seven = ~path & levels_mask(n);
    if (not_seven == 0)
        return 0;
    const std::int32_t d = deepest_level(not_seven);
    return (path & levels_mask(d)) + (std::uint64_t{1} << (bits_per_level * (d - 1)));
}

// The same number minus one; all 0s wrap to all 7s.
static inline std::uint64_t path_prev(std::uint64_t path, std::int32_t n)
{
    if (path == 0)
        return levels_mask(n);
    const std::int32_t d = deepest_level(path);
    return ((path & levels_mask(d)) - (std::uint64_t{1} << (bits_per_level * (d - 1)))) |
           (levels_mask(n) & ~levels_mask(d));
}

// Steps key to the neighbour in path order that step (path_next or
// path_prev) gives at level *level (1..18), or at the key's own level when
// level is null; the key keeps its own level field.  A step level outside
// 1..18 or a level field outside 0..18 leaves the key as it was; level 0 has
// no digit to step, so the key is repacked as the root.
template <class Step>
static inline void step_cell(CellKey* key, Step step, const std::int32_t* level)
{
    const std::int32_t own = level_of(key);
    const std::int32_t n = level != nullptr ? *level : own;
    if (!level_in_range(own) || (level != nullptr && (n < 1 || n > max_level)))
        return;
    store_path(key, n > 0 ? step(path_of(key) & levels_mask(n), n) : 0, own);
}

// Path bits of axis 1 at levels 1 to 18: bit 0 of every digit.
static constexpr std::uint64_t make_axis1_bits()
{
    std::uint64_t m = 0;
    for (int d = 0; d < max_level; ++d)
        m |= std::uint64_t{1} << (bits_per_level * d);
    return m;
}
constexpr std::uint64_t axis1_bits = make_axis1_bits();

// Path bits of one axis (1..3) at levels 1 to 18.
static inline std::uint64_t axis_bits(std::int32_t axis)
{
    return axis1_bits << (axis - 1);
}

// The path (levels 1 to n, 0s and 1s only) with the axis coordinate one
// higher (up) or lower, modulo 2^n; the finest level's bit is the least
// significant.  The other axes' bits stay.
static inline std::uint64_t path_axis_step(std::uint64_t path, std::int32_t n, std::int32_t axis,
                                           bool up)
{
    const std::uint64_t m = axis_bits(axis) & levels_mask(n);
    // Counting down is counting up on the complemented bits; the selects
    // below keep the step free of branches on the direction.
    const std::uint64_t flip = up ? 0 : m;
    const std::uint64_t y = (path & m) ^ flip;
    // Trailing ones (from the finest level) become 0, the next 0 becomes 1;
    // with no 0 left every bit wraps to 0.
    const std::uint64_t zeros = ~y & m;
    const int h = std::bit_width(zeros | 1) - 1;
    const std::uint64_t carried = (y & ((std::uint64_t{1} << h) - 1)) | (std::uint64_t{1} << h);
    const std::uint64_t stepped = (zeros != 0 ? carried : 0) ^ flip;
    return (path & ~m) | stepped;
}

// -1, 0 or +1: the order of the first differing digit of levels 1 to n.
static inline std::int32_t compare_paths(std::uint64_t a, std::uint64_t b, std::int32_t n)
{
    const std::uint64_t differ = (a ^ b) & levels_mask(n);
    if (differ == 0)
        return 0;
    const std::int32_t d = coarsest_level(differ);
    return digit_of(a, d) > digit_of(b, d) ? 1 : -1;
}

// Clamps a count of compared levels to 1..20: the level-1 digits are always
// compared, and past level 20 the key's two words hold no further digit.
static inline std::int32_t compared_levels(std::int32_t n)
{
    return n < 1 ? 1 : (n > max_unpacked_level ? max_unpacked_level : n);
}

}  // namespace cellkeys::detail

#endif
