#include "cellkeys.h"
#include "key_digits.hpp"

#include <cstdint>
#include <cstdio>

using namespace cellkeys::detail;

// One line: per level the axis-1, axis-2 and axis-3 bits and "!", then the
// six level bits, least significant first (78 characters and a line feed).
extern "C" void ck_print(const CellKey* key)
{
    constexpr int line_length = 78;
    constexpr int level_bits = 6;
    const std::uint64_t path = path_of(key);
    // The level bits are bits 25 to 30 of word 2: bits 0 to 5 of the level
    // for every key with a non-negative word 2.
    const auto level = static_cast<std::uint32_t>(key->word2) >> level_shift;
    char line[line_length + 1];
    int c = 0;
    for (int b = 0; b < word1_path_bits + word2_path_bits; ++b) {
        line[c++] = static_cast<char>('0' + ((path >> b) & 1));
        if (b % bits_per_level == bits_per_level - 1)
            line[c++] = '!';
    }
    for (int b = 0; b < level_bits; ++b)
        line[c++] = static_cast<char>('0' + ((level >> b) & 1));
    line[c] = '\n';
    std::fwrite(line, 1, sizeof line, stdout);
}
