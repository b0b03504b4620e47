#include "cellkeys.h"
#include "key_digits.hpp"

#include <cstdint>

using namespace cellkeys::detail;

extern "C" void ck_to_bits(const CellKey* key, std::int32_t* bits)
{
    // Levels 19 and 20 unpack the stored words as they stand; a level field
    // below 0 or above 20 would unpack past the key's two words and gives an
    // all-zero array, so that no entry is left unwritten.  At level 0 only
    // the first bit of word 1 is taken.
    const std::uint64_t unpacked = unpacked_path(key);
    const std::uint64_t path = level_of(key) > 0 ? unpacked : unpacked & 1;
    for (int e = 0; e < ck_bit_entries; ++e)
        bits[e] = static_cast<std::int32_t>((path >> e) & 1);
}
