#include "cellkeys.h"
#include "key_digits.hpp"
#include "key_morton.hpp"

#include <cstdint>

using namespace cellkeys::detail;

template <MortonPath how>
static inline void to_ijk(const CellKey* key, const std::int32_t* level, std::int32_t* i,
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
    const std::uint64_t packed = packed_coordinates<how>(path_of(key), n);
    *i = coordinate_field(packed, 1);
    *j = coordinate_field(packed, 2);
    *k = coordinate_field(packed, 3);
}

#if CELLKEYS_MORTON_BMI2
[[gnu::target("bmi2"), gnu::flatten]] static void to_ijk_bmi2(const CellKey* key,
                                                              const std::int32_t* level,
                                                              std::int32_t* i, std::int32_t* j,
                                                              std::int32_t* k)
{
    to_ijk<MortonPath::bmi2>(key, level, i, j, k);
}
#endif

extern "C" void ck_to_ijk(const CellKey* key, const std::int32_t* level, std::int32_t* i,
                          std::int32_t* j, std::int32_t* k)
{
#if CELLKEYS_MORTON_BMI2
    if (chosen_morton_path() == MortonPath::bmi2)
        return to_ijk_bmi2(key, level, i, j, k);
#endif
    to_ijk<MortonPath::tables>(key, level, i, j, k);
}
