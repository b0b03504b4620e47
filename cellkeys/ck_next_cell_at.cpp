#include "cellkeys.h"
#include "key_digits.hpp"

#include <cstdint>

using namespace cellkeys::detail;

extern "C" void ck_next_cell_at(CellKey* key, const std::int32_t* level)
{
    const std::int32_t own = level_of(key);
    const std::int32_t n = *level;
    // A step level outside 1..18 or a level field outside 0..18 leaves the
    // key as it was.  The key keeps its own level field, whatever n is.
    if (n < 1 || n > max_level || !level_in_range(own))
        return;
    store_path(key, path_next(path_of(key) & levels_mask(n), n), own);
}
