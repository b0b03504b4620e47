#include "cellkeys.h"
#include "key_digits.hpp"

#include <cstdint>

using namespace cellkeys::detail;

extern "C" void ck_to_parent(CellKey* key)
{
    const std::int32_t level = level_of(key);
    // The root has no parent: it stays the root, and a level field outside
    // 0..18 is left alone as well.
    if (level < 1 || level > max_level)
        return;
    store_path(key, path_of(key) & levels_mask(level - 1), level - 1);
}
