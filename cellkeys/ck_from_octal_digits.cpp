#include "cellkeys.h"
#include "key_digits.hpp"

#include <cstdint>

using namespace cellkeys::detail;

extern "C" void ck_from_octal_digits(CellKey* key, const std::int32_t* digits)
{
    // Entries are added with their weight 8^e unchecked, so a digit of 8
    // carries into the next level; sums wrap modulo 2^32 instead of
    // overflowing.  Entries 19 and 20 are not read.
    std::uint32_t w1 = 0;
    std::uint32_t w2 = 0;
    for (int e = 0; e < digits_per_word; ++e)
        w1 += static_cast<std::uint32_t>(digits[e]) << (bits_per_level * e);
    for (int e = 0; e < max_level - digits_per_word; ++e)
        w2 += static_cast<std::uint32_t>(digits[digits_per_word + e]) << (bits_per_level * e);
    key->word1 = static_cast<std::int32_t>(w1);
    key->word2 = static_cast<std::int32_t>(w2);
}
