#include "cellkeys.h"
#include "key_digits.hpp"

#include <cstdint>

using namespace cellkeys::detail;

extern "C" void ck_collate(const CellKey* first, const CellKey* second, std::int32_t* result)
{
    const std::int32_t la = level_of(first);
    const std::int32_t lb = level_of(second);
    // Digits of levels 1 to max(la, lb) are compared as stored, the level-1
    // digits even for two level-0 keys; levels 19 and 20 take bit 24 and the
    // level field's low bits as digits, and a level field beyond 20 compares
    // 20 levels.
    const std::int32_t m = compared_levels(la >= lb ? la : lb);
    std::int32_t r = compare_paths(stored_path(first, m), stored_path(second, m), m);
    if (r == 0)
        r = la > lb ? 1 : (la < lb ? -1 : 0);
    *result = r;
}
