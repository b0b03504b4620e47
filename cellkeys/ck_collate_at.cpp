#include "cellkeys.h"
#include "key_digits.hpp"

#include <cstdint>

using namespace cellkeys::detail;

extern "C" void ck_collate_at(const CellKey* first, const CellKey* second,
                              const std::int32_t* level, std::int32_t* result)
{
    // A level below 1 still compares the level-1 digits; levels 19 and 20
    // compare the stored words as they stand, and above 20 compare 20 levels.
    const std::int32_t n = compared_levels(*level);
    *result = compare_paths(stored_path(first, n), stored_path(second, n), n);
}
