#include "cellkeys.h"
#include "key_digits.hpp"

#include <cstdint>

using namespace cellkeys::detail;

extern "C" void ck_from_bits(CellKey* key, const std::int32_t* bits)
{
    // Entries are added with their weight 2^e unchecked; sums wrap modulo
    // 2^32 instead of overflowing.  Entries 55 to 64 are not read.
    std::uint32_t w1 = 0;
    std::uint32_t w2 = 0;
    for (int e = 0; e < word1_path_bits; ++e)
        w1 += static_cast<std::uint32_t>(bits[e]) << e;
    for (int e = 0; e < word2_path_bits; ++e)
        w2 += static_cast<std::uint32_t>(bits[word1_path_bits + e]) << e;
    key->word1 = static_cast<std::int32_t>(w1);
    key->word2 = static_cast<std::int32_t>(w2);
}
