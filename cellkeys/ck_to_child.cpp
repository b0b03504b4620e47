#include "cellkeys.h"
#include "key_digits.hpp"

#include <cstdint>

using namespace cellkeys::detail;

extern "C" void ck_to_child(CellKey* key, const std::int32_t* octant)
{
    const std::int32_t level = level_of(key);
    const std::int32_t o = *octant;
    // A level-18 key has no child, and an octant outside 0..7 names none:
    // the key is left as it was, as it is for a level field outside 0..18.
    if (level < 0 || level >= max_level || o < 0 || o > 7)
        return;
    const std::uint64_t path = (path_of(key) & levels_mask(level)) |
                               (static_cast<std::uint64_t>(o) << (bits_per_level * level));
    store_path(key, path, level + 1);
}
