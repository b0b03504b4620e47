#include "cellkeys.h"
#include "key_digits.hpp"

#include <cstdint>

using namespace cellkeys::detail;

extern "C" void ck_own_digit(const CellKey* key, std::int32_t* octant)
{
    const std::int32_t level = level_of(key);
    // Levels 19 and 20 read the stored words as they stand.  The root, and
    // any level field outside 1..20, has no octant: 0.
    *octant =
        (level >= 1 && level <= max_unpacked_level) ? digit_of(stored_path(key, level), level) : 0;
}
