#include "cellkeys.h"
#include "key_digits.hpp"

#include <cstdint>

using namespace cellkeys::detail;

extern "C" void ck_collate_at(const CellKey* first, const CellKey* second,
                              const std::int32_t* level, std::int32_t* result)
{
    // A level below 1 still compares the level-1 digits; one above 18
    // compares all 18 levels.
    *result = compare_paths(path_of(first), path_of(second), compared_levels(*level));
}
