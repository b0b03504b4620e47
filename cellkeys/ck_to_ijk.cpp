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
    // Read as a level-18 path, the stored digits give the coordinates of a
    // level-18 cell inside the level-n cell; dropping the 18 - n lowest
    // bits leaves those of the level-n cell, whatever the deeper digits are.
    // One shift moves all three packed fields; the mask drops what each
    // field takes over from the one above it.
    const std::uint64_t packed = (packed_coordinates_from_path18(path_of(key)) >> (max_level - n))
                                 & field_masks[n];
    *i = static_cast<std::int32_t>(packed & coordinate_mask);
    *j = static_cast<std::int32_t>((packed >> 21) & coordinate_mask);
    *k = static_cast<std::int32_t>((packed >> 42) & coordinate_mask);
}
