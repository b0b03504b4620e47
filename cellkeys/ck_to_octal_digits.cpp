#include "cellkeys.h"
#include "key_digits.hpp"

#include <cstdint>

using namespace cellkeys::detail;

extern "C" void ck_to_octal_digits(const CellKey* key, std::int32_t* digits)
{
    const std::int32_t level = level_of(key);
    // A level field outside 0..18 would unpack past the 20 entries; such a
    // key gets an all-zero array so that no entry is left unwritten.
    std::uint64_t path = 0;
    if (level_in_range(level)) {
        // The level-1 digit is unpacked even at level 0.
        path = path_of(key) & levels_mask(level > 0 ? level : 1);
    }
    for (int d = 0; d < digit_array_size; ++d)
        digits[d] = static_cast<std::int32_t>((path >> (bits_per_level * d)) & 7);
}
