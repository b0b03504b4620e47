#include "cellkeys.h"
#include "key_digits.hpp"

#include <cstdint>

using namespace cellkeys::detail;

extern "C" void ck_digit_at(const CellKey* key, const std::int32_t* level, std::int32_t* octant)
{
    const std::int32_t n = *level;
    // Levels 19 and 20 read the stored words as they stand; levels outside
    // 1..20 hold no digit: 0.
    *octant = (n >= 1 && n <= max_unpacked_level) ? digit_of(stored_path(key, n), n) : 0;
}
