#include "cellkeys.h"
#include "key_digits.hpp"
#include "key_pack.hpp"

#include <cstdint>

using namespace cellkeys::detail;

extern "C" void ck_axis_neighbour(CellKey* key, const std::int32_t* bits, const std::int32_t* level,
                                  const std::int32_t* axis, const std::int32_t* direction)
{
    const std::int32_t n = *level;
    const std::int32_t a = *axis;
    // An axis other than 1..3 or a level outside 0..18 leaves the key as it
    // was and reads no entry of bits.
    if (!level_in_range(n) || a < 1 || a > 3)
        return;
    const int count = bits_per_level * n;
    std::uint32_t word[2];
    if (pack_bits(bits, count, word)) {
        // A proper path-bit array: count along the axis's bits of the path
        // at once, the finest level (the highest path bit) least significant.
        const std::uint64_t path = word[0] | (std::uint64_t{word[1]} << word1_path_bits);
        const std::uint64_t stepped = path_axis_step(path, n, a, *direction > 0);
        word[0] = static_cast<std::uint32_t>(stepped & word1_path_mask);
        word[1] = static_cast<std::uint32_t>(stepped >> word1_path_bits);
    } else {
        // Entries other than 0 and 1 carry as plain counters do: entry by
        // entry, every third one, the finest level first.  Each entry changes
        // at most once, so the packed words take the change directly and the
        // caller's array is only read.
        const bool up = *direction > 0;
        for (int s = count - bits_per_level + a - 1; s >= 0; s -= bits_per_level) {
            const std::int64_t old = bits[s];
            std::int64_t now = up ? old + 1 : old - 1;
            const bool done = up ? now <= 1 : now >= 0;
            if (!done)
                now = up ? 0 : 1;
            const int w = s < word1_path_bits ? 0 : 1;
            const int e = s - w * word1_path_bits;
            word[w] += (static_cast<std::uint32_t>(now) - static_cast<std::uint32_t>(old)) << e;
            if (done)
                break;
        }
    }
    key->word1 = static_cast<std::int32_t>(word[0]);
    key->word2 = static_cast<std::int32_t>(word[1] + static_cast<std::uint32_t>(n) *
                                                         static_cast<std::uint32_t>(level_unit));
}
