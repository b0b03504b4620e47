#include "cellkeys.h"
#include "key_digits.hpp"

#include <cstdint>

using namespace cellkeys::detail;

extern "C" void ck_next_cell(CellKey* key)
{
    const std::int32_t level = level_of(key);
    // A level field outside 0..18 leaves the key as it was.
    if (!level_in_range(level))
        return;
    // Level 0 has no digit to step: the key is repacked as the root.
    const std::uint64_t path = path_of(key) & levels_mask(level);
    store_path(key, level > 0 ? path_next(path, level) : 0, level);
}
