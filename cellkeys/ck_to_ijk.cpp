#include "cellkeys.h"
#include "key_digits.hpp"
#include "key_morton.hpp"

#include <cstdint>

using namespace cellkeys::detail;

extern "C" void ck_to_ijk(const CellKey* key, const std::int32_t* level, std::int32_t* i,
                          std::int32_t* j, std::int32_t* k)
{
    const std::int32_t n = *level;
    // A level outside 0..18 names no cell: the coordinates come back as 0.
    if (!level_in_range(n)) {
        *i = 0;
        *j = 0;
        *k = 0;
        return;
    }
    // Shifted up by 18 - n levels, the path of n levels reads as the same
    // coordinates in the level-18 layout.
    const std::uint64_t path = path_of(key) & levels_mask(n);
    std::uint32_t ci, cj, ck;
    coordinates_from_path18(path << (bits_per_level * (max_level - n)), &ci, &cj, &ck);
    *i = static_cast<std::int32_t>(ci);
    *j = static_cast<std::int32_t>(cj);
    *k = static_cast<std::int32_t>(ck);
}
