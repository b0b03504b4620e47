#include "cellkeys.h"
#include "key_digits.hpp"

#include <cstdint>

using namespace cellkeys::detail;

extern "C" void ck_truncate_into(const CellKey* source, CellKey* target, const std::int32_t* level)
{
    const std::int32_t n = *level;
    // A level outside 0..18 leaves the target as it was.
    if (!level_in_range(n))
        return;
    // The source is read whole before the target is written, so both may
    // be the same key.
    store_path(target, path_of(source) & levels_mask(n), n);
}
