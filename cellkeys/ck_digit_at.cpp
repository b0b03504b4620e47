#include "cellkeys.h"
#include "key_digits.hpp"

#include <cstdint>

using namespace cellkeys::detail;

extern "C" void ck_digit_at(const CellKey* key, const std::int32_t* level, std::int32_t* octant)
{
    const std::int32_t n = *level;
    // Levels outside 1..18 hold no digit: 0.
    *octant = (n >= 1 && n <= max_level) ? digit_of(path_of(key), n) : 0;
}
