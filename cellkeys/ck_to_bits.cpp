#include "cellkeys.h"
#include "key_digits.hpp"

#include <cstdint>

using namespace cellkeys::detail;

extern "C" void ck_to_bits(const CellKey* key, std::int32_t* bits)
{
    const std::int32_t level = level_of(key);
    // Levels 19 and 20 unpack the stored words as they stand; a level field
    // below 0 or above 20 would unpack past the key's two words and gives an
    // all-zero array, so that no entry is left unwritten.  At level 0 the
    // first bit of word 1 is still taken.
    std::uint64_t path = 0;
    if (level >= 0 && level <= max_unpacked_level)
        path = level > 0 ? stored_path(key, level) : stored_path(key, 1) & 1;
    for (int e = 0; e < bit_array_size; ++e)
        bits[e] = static_cast<std::int32_t>((path >> e) & 1);
}
