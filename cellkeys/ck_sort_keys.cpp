#include "cellkeys.h"
#include "key_digits.hpp"

#include <cstddef>
#include <cstdint>
#include <cstring>

using namespace cellkeys::detail;

// Each key is decoded once into a 64-bit sort value whose unsigned order is
// path order, and the values are sorted with each key's slot carried along.
// Value bits, high to low:
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
// The sort works on the bits where the values differ, from the highest
// down (most significant digit first), every step stable: one counting pass
// over the whole array on the 11 highest bits that are not the same in
// every value splits it into 2048 buckets (about a thousand keys each for
// two million random keys), each of which is then sorted in cache by the
// same counting on 8 bits at a time and by insertion once a part is small
// (measured: half the time of least-significant-digit passes over the
// whole array, which move every key six times out of cache).  Keys in any
// clustering split evenly, and no pass touches bits that all keys share.
// Slots ping-pong between work and the caller's order array, values between
// the two value areas of work.
namespace {

constexpr int split_bits = 11;
constexpr std::uint32_t split_radix = std::uint32_t{1} << split_bits;
constexpr int digit_bits = 8;
constexpr std::uint32_t digit_radix = std::uint32_t{1} << digit_bits;
constexpr int tail_bits = 8;
// Below the split, each level of parts takes at least 8 of the 51 bits left.
constexpr int part_levels = 8;
static_assert(part_levels * digit_bits >= max_level * bits_per_level + tail_bits - split_bits);
static_assert(split_radix + part_levels * digit_radix == ck_sort_count_words);
// Buckets of at most this many keys are sorted by insertion.
constexpr std::size_t insertion_limit = 96;

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

// work holds 32-bit words; values are moved through memcpy so that a work
// array aligned to 4 bytes only is read and written correctly.
inline std::uint64_t load(const std::int32_t* values, std::size_t k)
{
    std::uint64_t v;
    std::memcpy(&v, values + 2 * k, sizeof v);
    return v;
}

inline void store(std::int32_t* values, std::size_t k, std::uint64_t v)
{
    std::memcpy(values + 2 * k, &v, sizeof v);
}

// Sorts the size values at values and their slots at slots together,
// stably, by insertion.
void insertion_sort(std::int32_t* values, std::int32_t* slots, std::size_t size)
{
    for (std::size_t k = 1; k < size; ++k) {
        const std::uint64_t v = load(values, k);
        const std::int32_t slot = slots[k];
        std::size_t at = k;
        for (; at > 0 && load(values, at - 1) > v; --at) {
            store(values, at, load(values, at - 1));
            slots[at] = slots[at - 1];
        }
        store(values, at, v);
        slots[at] = slot;
    }
}

// Sorts the size values at values, each with its slot at slots, on their
// bits below `below` (the bits above are the same in all of them), stably:
// by insertion when they are few, otherwise by one counting pass on the 8
// highest bits that differ among them, into spare and spare_slots, and the
// same again for each part.  The sorted slots end in order, which is either
// slots or spare_slots (order_is_slots tells which).  counts: 256 words per
// level of parts still to come.
void sort_range(std::uint32_t* counts, int below, std::size_t size, std::int32_t* values,
                std::int32_t* slots, std::int32_t* spare, std::int32_t* spare_slots,
                bool order_is_slots)
{
    if (size <= insertion_limit) {
        insertion_sort(values, slots, size);
    } else {
        std::uint64_t any = 0, all = ~std::uint64_t{0};
        for (std::size_t k = 0; k < size; ++k) {
            const std::uint64_t v = load(values, k);
            any |= v;
            all &= v;
        }
        const std::uint64_t differ = (any ^ all) & ((std::uint64_t{1} << below) - 1);
        if (differ != 0) {
            const int top = 63 - __builtin_clzll(differ);
            const int shift = top >= digit_bits ? top - digit_bits + 1 : 0;
            std::memset(counts, 0, sizeof(std::uint32_t) * digit_radix);
            for (std::size_t k = 0; k < size; ++k)
                ++counts[(load(values, k) >> shift) & (digit_radix - 1)];
            std::uint32_t sum = 0;
            for (std::uint32_t d = 0; d < digit_radix; ++d) {
                const std::uint32_t c = counts[d];
                counts[d] = sum;
                sum += c;
            }
            for (std::size_t k = 0; k < size; ++k) {
                const std::uint64_t v = load(values, k);
                const std::uint32_t at = counts[(v >> shift) & (digit_radix - 1)]++;
                store(spare, at, v);
                spare_slots[at] = slots[k];
            }
            // counts[d] is now where part d ends.
            std::size_t start = 0;
            for (std::uint32_t d = 0; d < digit_radix; ++d) {
                const std::size_t end = counts[d];
                if (end > start)
                    sort_range(counts + digit_radix, shift, end - start, spare + 2 * start,
                               spare_slots + start, values + 2 * start, slots + start,
                               !order_is_slots);
                start = end;
            }
            return;
        }
    }
    if (!order_is_slots)
        std::memcpy(spare_slots, slots, sizeof(std::int32_t) * size);
}

}  // namespace

extern "C" void ck_sort_keys(const std::int32_t* n, const std::int32_t* keys, std::int32_t* order,
                             std::int32_t* work)
{
    const std::int32_t count = *n;
    if (count <= 0)
        return;
    const auto size = static_cast<std::size_t>(count);
    auto* split_counts = reinterpret_cast<std::uint32_t*>(work);
    std::uint32_t* digit_counts = split_counts + split_radix;
    std::int32_t* decoded = work + ck_sort_count_words;
    std::int32_t* split = decoded + 2 * size;
    std::int32_t* slots = split + 2 * size;

    std::uint64_t any = 0, all = ~std::uint64_t{0};
    for (std::size_t k = 0; k < size; ++k) {
        const std::uint64_t v = sort_value(keys[2 * k], keys[2 * k + 1]);
        store(decoded, k, v);
        any |= v;
        all &= v;
    }
    const std::uint64_t differ = any ^ all;
    if (differ == 0) {
        for (std::int32_t k = 0; k < count; ++k)
            order[k] = k + 1;
        return;
    }

    // The split: the 11 bits that end with the highest differing one.
    const int top = 63 - __builtin_clzll(differ);
    const int shift = top >= split_bits ? top - split_bits + 1 : 0;
    std::memset(split_counts, 0, sizeof(std::uint32_t) * split_radix);
    for (std::size_t k = 0; k < size; ++k)
        ++split_counts[(load(decoded, k) >> shift) & (split_radix - 1)];
    std::uint32_t sum = 0;
    for (std::uint32_t b = 0; b < split_radix; ++b) {
        const std::uint32_t c = split_counts[b];
        split_counts[b] = sum;
        sum += c;
    }
    for (std::size_t k = 0; k < size; ++k) {
        const std::uint64_t v = load(decoded, k);
        const std::uint32_t at = split_counts[(v >> shift) & (split_radix - 1)]++;
        store(split, at, v);
        slots[at] = static_cast<std::int32_t>(k + 1);
    }

    // split_counts[b] is now where bucket b ends.
    std::size_t start = 0;
    for (std::uint32_t b = 0; b < split_radix; ++b) {
        const std::size_t end = split_counts[b];
        if (end > start)
            sort_range(digit_counts, shift, end - start, split + 2 * start, slots + start,
                       decoded + 2 * start, order + start, false);
        start = end;
    }
}
