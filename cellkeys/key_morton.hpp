// Conversion between cell coordinates and key paths (not installed).
//
// Level 1 takes the most significant coordinate bit, so a key's path is the
// Morton interleave of the coordinates with their bit order reversed.  Both
// directions work at level 18 and shift to the level wanted: a coordinate
// bit t lands in path bit 3(17 - t) + axis - 1, and a path of level L is the
// level-18 path shifted right by 3(18 - L).  Nine-bit table lookups do the
// reversal and the interleave in one step.
//
// Where the processor deposits and extracts bits fast (BMI2), one reversal
// of the whole 64-bit word (one GFNI step where the processor has it) and
// three deposits or extracts do the same.  The choice is made once, when
// the program is loaded (a GNU indirect function), from what the processor
// reports, and every path gives the same bits for every input.
// CELLKEYS_PORTABLE_ONLY leaves the tables alone.
#ifndef CELLKEYS_KEY_MORTON_HPP
#define CELLKEYS_KEY_MORTON_HPP

#include "key_digits.hpp"

#include <array>
#include <cstdint>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__)) &&                            \
    !defined(CELLKEYS_PORTABLE_ONLY)
#define CELLKEYS_MORTON_BMI2 1
#include <immintrin.h>
#else
#define CELLKEYS_MORTON_BMI2 0
#endif

namespace cellkeys::detail {
constexpr std::uint32_t coordinate_mask = (std::uint32_t{1} << max_level) - 1;
// Width of each of the three coordinate fields packed in one word: axis a
// (1..3) at bit field_bits * (a - 1).
constexpr int field_bits = 21;

// spread_reversed[x]: bit u of the 9-bit x moved to bit 51 - 3u, the place
// of coordinate bit u of an axis-1 coordinate in a level-18 path.
static constexpr auto make_spread_reversed()
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
static constexpr auto make_gather_reversed()
{
    std::array<std::uint64_t, 512> t{};
    for (int x = 0; x < 512; ++x)
        for (int v = 0; v < 3; ++v)
            for (int a = 0; a < 3; ++a)
                if ((x >> (3 * v + a)) & 1)
                    t[x] |= std::uint64_t{1} << (field_bits * a + 2 - v);
    return t;
}
constexpr auto gather_reversed = make_gather_reversed();

static inline std::uint64_t spread_axis(std::uint32_t c)
{
    return spread_reversed[c & 511] | (spread_reversed[(c >> 9) & 511] >> 27);
}

// Path of levels 1 to 18 of the cell whose level-18 coordinates are i, j, k
// (each taken modulo 2^18).
static inline std::uint64_t path18_from_coordinates(std::uint32_t i, std::uint32_t j,
                                                    std::uint32_t k)
{
    return spread_axis(i) | (spread_axis(j) << 1) | (spread_axis(k) << 2);
}

// The level-18 coordinates of a path, packed at bits 0, 21 and 42 for axes
// 1, 2 and 3.
static inline std::uint64_t packed_coordinates_from_path18(std::uint64_t path)
{
    std::uint64_t packed = 0;
    for (int c = 0; c < 6; ++c)
        packed |= gather_reversed[(path >> (9 * c)) & 511] << (15 - 3 * c);
    return packed;
}

// Per level n: 2^n - 1 in each of the three packed coordinate fields.
static constexpr auto make_field_masks()
{
    std::array<std::uint64_t, 19> t{};
    for (int n = 0; n <= 18; ++n)
        for (int a = 0; a < 3; ++a)
            t[n] |= ((std::uint64_t{1} << n) - 1) << (field_bits * a);
    return t;
}
constexpr auto field_masks = make_field_masks();

enum class MortonPath { tables, bmi2, bmi2_gfni };

#if CELLKEYS_MORTON_BMI2
// Every third bit from bit 0: where a deposit spreads one coordinate.
constexpr std::uint64_t morton_axis = 0x1249249249249249;

// The 64 bits in reverse order: bytes swapped, then the bits of each byte
// reversed, by shifts and masks or by one GFNI affine step.
template <MortonPath how>
[[gnu::target("gfni,sse2")]] static inline std::uint64_t reverse_bits(std::uint64_t x)
{
    if constexpr (how == MortonPath::bmi2_gfni) {
        const __m128i v = _mm_gf2p8affine_epi64_epi8(_mm_cvtsi64_si128(static_cast<long long>(x)),
                                                     _mm_set1_epi64x(0x8040201008040201), 0);
        return __builtin_bswap64(static_cast<std::uint64_t>(_mm_cvtsi128_si64(v)));
    }
    x = __builtin_bswap64(x);
    x = ((x >> 4) & 0x0f0f0f0f0f0f0f0f) | ((x & 0x0f0f0f0f0f0f0f0f) << 4);
    x = ((x >> 2) & 0x3333333333333333) | ((x & 0x3333333333333333) << 2);
    return ((x >> 1) & 0x5555555555555555) | ((x & 0x5555555555555555) << 1);
}

// With axis 3 deposited lowest, coordinate bit t of axis a sits at bit
// 3t + 3 - a; reversed, at 3(20 - t) + a, which is its level-18 path bit
// 3(17 - t) + a - 1 moved up by 10.  Coordinate bits 18 and above fall off
// the low end, as the tables drop them.
constexpr int reversed_offset = 64 - max_level * bits_per_level;

template <MortonPath how>
[[gnu::target("bmi2,gfni,sse2")]] static inline std::uint64_t
path18_from_coordinates_bmi2(std::uint32_t i, std::uint32_t j, std::uint32_t k)
{
    const std::uint64_t m =
        _pdep_u64(k, morton_axis) | _pdep_u64(j, morton_axis << 1) | _pdep_u64(i, morton_axis << 2);
    return reverse_bits<how>(m) >> reversed_offset;
}

#endif

// The form of a coordinate routine for this processor, chosen once when
// the program is loaded by the resolver of the routine's GNU indirect
// function: BMI2 where its deposit and extract are fast, with GFNI's bit
// reversal where there is one; AMD families 15h and 17h (before Zen 3) run
// pdep and pext as microcode taking hundreds of cycles; the tables
// elsewhere.  It runs while relocations are applied, before the sanitizers'
// runtime is up and before the runtime has read the processor's features,
// so it is built without sanitizer checks and reads them itself.
template <class Routine>
__attribute__((no_sanitize("address"), no_sanitize("undefined"))) static inline Routine*
choose_morton_form([[maybe_unused]] Routine* bmi2_gfni, [[maybe_unused]] Routine* bmi2,
                   Routine* tables)
{
#if CELLKEYS_MORTON_BMI2
    __builtin_cpu_init();
    if (__builtin_cpu_supports("bmi2") && !__builtin_cpu_is("amdfam15h") &&
        !__builtin_cpu_is("amdfam17h"))
        return __builtin_cpu_supports("gfni") ? bmi2_gfni : bmi2;
#endif
    return tables;
}

// The level-n path (n 0..18) of the cell (i, j, k), each coordinate taken
// modulo 2^n.  The BMI2 forms belong in functions compiled for BMI2 (and
// GFNI).
template <MortonPath how>
static inline std::uint64_t path_from_coordinates(std::uint32_t i, std::uint32_t j, std::uint32_t k,
                                                  std::int32_t n)
{
    std::uint64_t path18;
#if CELLKEYS_MORTON_BMI2
    if constexpr (how != MortonPath::tables)
        path18 = path18_from_coordinates_bmi2<how>(i, j, k);
    else
#endif
        path18 = path18_from_coordinates(i, j, k);
    return path18 >> (bits_per_level * (max_level - n));
}

struct Coordinates {
    std::int32_t i, j, k;
    bool operator==(const Coordinates&) const = default;
};

#if CELLKEYS_MORTON_BMI2
template <MortonPath how>
[[gnu::target("bmi2,gfni,sse2")]] static inline Coordinates
coordinates_from_path_bmi2(std::uint64_t path18, std::int32_t n)
{
    const std::uint64_t m =
        reverse_bits<how>(path18 << reversed_offset) >> (bits_per_level * (max_level - n));
    return Coordinates{static_cast<std::int32_t>(_pext_u64(m, morton_axis << 2)),
                       static_cast<std::int32_t>(_pext_u64(m, morton_axis << 1)),
                       static_cast<std::int32_t>(_pext_u64(m, morton_axis))};
}
#endif

// The level-n coordinates (n 0..18) of the cell the first n digits of a
// level-18 path describe.  Read as a level-18 path, the digits give a
// level-18 cell inside the level-n cell; dropping the 18 - n lowest bits
// leaves those of the level-n cell, whatever the deeper digits are.  The
// tables give the three coordinates packed in fields of 21 bits, which one
// shift moves together and a mask separates; the BMI2 forms drop the bits
// before extracting.
template <MortonPath how>
static inline Coordinates coordinates_from_path(std::uint64_t path18, std::int32_t n)
{
#if CELLKEYS_MORTON_BMI2
    if constexpr (how != MortonPath::tables)
        return coordinates_from_path_bmi2<how>(path18, n);
#endif
    const std::uint64_t packed =
        (packed_coordinates_from_path18(path18) >> (max_level - n)) & field_masks[n];
    const auto field = [packed](int axis) {
        return static_cast<std::int32_t>((packed >> (field_bits * (axis - 1))) & coordinate_mask);
    };
    return Coordinates{field(1), field(2), field(3)};
}

}  // namespace cellkeys::detail

#endif
