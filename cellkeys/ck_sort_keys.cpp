#include "cellkeys.h"
#include "key_digits.hpp"

#include <cstddef>
#include <cstdint>
#include <cstring>

using namespace cellkeys::detail;

// Each key is decoded once into a 64-bit sort value whose unsigned order is
// path order, and the values are sorted by a stable least-significant-digit
// radix sort, carrying each key's slot along.  Value bits, high to low:
//
//   61..8  the digits of levels 1 to 18 as stored, level 1 highest;
//   7..0   a tail that breaks ties on the digits: level + 64 for a level
//          field of 18 or less (negative ones included), so the coarser key
//          comes first; past level 18, 128 + the digits that ck_collate
//          reads at levels 19 and 20 (bit 24 and the level field's low
//          bits) + the level field's bit 5, so that such keys follow every
//          key of levels up to 18 with the same digits and among themselves
//          keep ck_collate's order.
//
// Digits of 11 bits take six passes over the 62 bits; a pass whose digit is
// the same for every key moves nothing and is skipped.  The counts of all
// six digits are taken while decoding.  The slots ping-pong between the
// caller's order array and work so that the last pass writes order; the
// first pass takes slot k + 1 for the k-th value without reading it, and
// the last one writes no values.
namespace {

constexpr int radix_bits = 11;
constexpr std::uint32_t radix = std::uint32_t{1} << radix_bits;
constexpr int passes = 6;  // 6 * 11 bits cover the 62 of a value
constexpr int tail_bits = 8;
static_assert(passes * radix == ck_sort_count_words);
static_assert(passes * radix_bits >= max_level * bits_per_level + tail_bits);

// Bits 10, 13, ..., 61: the lowest bit of each digit of a path after its 64
// bits are reversed.
constexpr std::uint64_t make_reversed_digit_low()
{
    std::uint64_t m = 0;
    for (int d = 0; d < max_level; ++d)
        m |= std::uint64_t{1} << (64 - max_level * bits_per_level + bits_per_level * d);
    return m;
}
constexpr std::uint64_t reversed_digit_low = make_reversed_digit_low();

// The 18 digits of a path in reverse order, level 1 in bits 51..53 and
// level 18 in bits 0..2: all 64 bits reversed, then each digit's outer two
// bits swapped back.
inline std::uint64_t digits_level_1_highest(std::uint64_t path)
{
    std::uint64_t x = __builtin_bswap64(path);
    x = ((x >> 4) & 0x0f0f0f0f0f0f0f0f) | ((x & 0x0f0f0f0f0f0f0f0f) << 4);
    x = ((x >> 2) & 0x3333333333333333) | ((x & 0x3333333333333333) << 2);
    x = ((x >> 1) & 0x5555555555555555) | ((x & 0x5555555555555555) << 1);
    constexpr std::uint64_t low = reversed_digit_low;
    x = (x & (low << 1)) | ((x & low) << 2) | ((x >> 2) & low);
    return x >> (64 - max_level * bits_per_level);
}

inline std::uint64_t sort_value(std::int32_t word1, std::int32_t word2)
{
    const CellKey key{word1, word2};
    const std::int32_t level = level_of(&key);
    const auto w2 = static_cast<std::uint32_t>(word2);
    // Past level 18 word 2 is positive: bits 24..26 are ck_collate's digit
    // of level 19, bits 27..29 that of level 20, and bit 30 the rest of a
    // level field of 63 or less.
    const std::uint32_t tail = level <= max_level ? static_cast<std::uint32_t>(level + 64)
                                                  : 128 | (((w2 >> 24) & 7) << 4) |
                                                        (((w2 >> 27) & 7) << 1) | ((w2 >> 30) & 1);
    return (digits_level_1_highest(path_of(&key)) << tail_bits) | tail;
}

// work holds 32-bit words; values are moved through memcpy so that a work
// array aligned to 4 bytes only is read and written correctly.
inline std::uint64_t load(const std::int32_t* at)
{
    std::uint64_t v;
    std::memcpy(&v, at, sizeof v);
    return v;
}

inline void store(std::int32_t* at, std::uint64_t v)
{
    std::memcpy(at, &v, sizeof v);
}

inline std::uint32_t digit(std::uint64_t v, int pass)
{
    return static_cast<std::uint32_t>(v >> (radix_bits * pass)) & (radix - 1);
}

// One counting pass on digit p: each value and its slot go to the place
// its digit's running offset gives.  The first pass numbers the slots
// itself (from_slots unread), the last writes no values.
template <bool first, bool last>
void scatter(std::size_t size, int p, std::uint32_t* offsets, const std::int32_t* from,
             const std::int32_t* from_slots, std::int32_t* to, std::int32_t* to_slots)
{
    for (std::size_t k = 0; k < size; ++k) {
        const std::uint64_t v = load(from + 2 * k);
        const std::uint32_t at = offsets[digit(v, p)]++;
        if constexpr (!last)
            store(to + 2 * std::size_t{at}, v);
        if constexpr (first)
            to_slots[at] = static_cast<std::int32_t>(k + 1);
        else
            to_slots[at] = from_slots[k];
    }
}

}  // namespace

extern "C" void ck_sort_keys(const std::int32_t* n, const std::int32_t* keys, std::int32_t* order,
                             std::int32_t* work)
{
    const std::int32_t count = *n;
    if (count <= 0)
        return;
    const auto size = static_cast<std::size_t>(count);
    auto* counts = reinterpret_cast<std::uint32_t*>(work);
    std::int32_t* values[2] = {work + ck_sort_count_words, work + ck_sort_count_words + 2 * size};
    std::int32_t* slots = work + ck_sort_count_words + 4 * size;

    std::memset(counts, 0, sizeof(std::uint32_t) * ck_sort_count_words);
    for (std::size_t k = 0; k < size; ++k) {
        const std::uint64_t v = sort_value(keys[2 * k], keys[2 * k + 1]);
        store(values[0] + 2 * k, v);
        for (int p = 0; p < passes; ++p)
            ++counts[p * radix + digit(v, p)];
    }

    // The passes whose digit differs between keys, lowest first.
    const std::uint64_t first = load(values[0]);
    int active[passes];
    int active_count = 0;
    for (int p = 0; p < passes; ++p)
        if (counts[p * radix + digit(first, p)] != static_cast<std::uint32_t>(count))
            active[active_count++] = p;

    if (active_count == 0) {
        for (std::int32_t k = 0; k < count; ++k)
            order[k] = k + 1;
        return;
    }
    const std::int32_t* from_slots = nullptr;
    for (int a = 0; a < active_count; ++a) {
        const int p = active[a];
        std::uint32_t* start = counts + p * radix;
        std::uint32_t sum = 0;
        for (std::uint32_t b = 0; b < radix; ++b) {
            const std::uint32_t c = start[b];
            start[b] = sum;
            sum += c;
        }
        const bool last = a == active_count - 1;
        // An even number of passes left after this one lands in order.
        std::int32_t* to_slots = (active_count - 1 - a) % 2 == 0 ? order : slots;
        const std::int32_t* from = values[a % 2];
        std::int32_t* to = values[(a + 1) % 2];
        if (a == 0)
            (last ? scatter<true, true> : scatter<true, false>)(size, p, start, from, from_slots,
                                                                to, to_slots);
        else
            (last ? scatter<false, true> : scatter<false, false>)(size, p, start, from, from_slots,
                                                                  to, to_slots);
        from_slots = to_slots;
    }
}
