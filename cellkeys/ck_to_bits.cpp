#include "cellkeys.h"
#include "key_digits.hpp"

#include <cstdint>

using namespace cellkeys::detail;

extern "C" void ck_to_bits(const CellKey* key, std::int32_t* bits)
{
    const std::int32_t level = level_of(key);
    // A level field outside 0..18 gives an all-zero array, so that no entry
    // is left unwritten.  At level 0 the first bit of word 1 is still taken.
    std::uint64_t path = 0;
    if (level_in_range(level))
        path = path_of(key) & (level > 0 ? levels_mask(level) : std::uint64_t{1});
    for (int e = 0; e < bit_array_size; ++e)
        bits[e] = static_cast<std::int32_t>((path >> e) & 1);
}
