#include "cellkeys.h"
#include "key_digits.hpp"

#include <cstdint>

using namespace cellkeys::detail;

extern "C" void ck_truncate_to(CellKey* key, const std::int32_t* level)
{
    const std::int32_t n = *level;
    // A level outside 0..18 leaves the key as it was.
    if (!level_in_range(n))
        return;
    store_path(key, path_of(key) & levels_mask(n), n);
}
