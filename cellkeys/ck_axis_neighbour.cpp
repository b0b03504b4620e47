#include "cellkeys.h"
#include "key_digits.hpp"

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
    const int count1 = count < word1_path_bits ? count : word1_path_bits;
    // Entries are packed with their weights as given (0 or 1 in a path-bit
    // array), each word's sum wrapping modulo 2^32.
    std::uint32_t word[2] = {0, 0};
    for (int e = 0; e < count1; ++e)
        word[0] += static_cast<std::uint32_t>(bits[e]) << e;
    for (int e = count1; e < count; ++e)
        word[1] += static_cast<std::uint32_t>(bits[e]) << (e - word1_path_bits);
    // Count along the axis: its bits are every third entry, the finest level
    // last.  Each entry changes at most once, so the packed words take the
    // change directly and the caller's array is only read.
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
    key->word1 = static_cast<std::int32_t>(word[0]);
    key->word2 = static_cast<std::int32_t>(word[1] + static_cast<std::uint32_t>(n)
                                                         * static_cast<std::uint32_t>(level_unit));
}
