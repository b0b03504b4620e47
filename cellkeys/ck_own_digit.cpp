#include "cellkeys.h"
#include "key_digits.hpp"

#include <cstdint>

using namespace cellkeys::detail;

extern "C" void ck_own_digit(const CellKey* key, std::int32_t* octant)
{
    const std::int32_t level = level_of(key);
    // The root (and any level field outside 1..18) has no octant: 0.
    *octant = (level >= 1 && level <= max_level) ? digit_of(path_of(key), level) : 0;
}
