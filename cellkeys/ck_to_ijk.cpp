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
    const int shift = max_level - n;
    const std::uint64_t path18 = (path_of(key) & levels_mask(n)) << (bits_per_level * shift);
    std::uint32_t ci, cj, ck;
    coordinates_from_path18(path18, &ci, &cj, &ck);
    *i = static_cast<std::int32_t>(ci >> shift);
    *j = static_cast<std::int32_t>(cj >> shift);
    *k = static_cast<std::int32_t>(ck >> shift);
}
