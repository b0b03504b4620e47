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
    const Coordinates c = coordinates_from_path<how>(path_of(key), n);
    *i = c.i;
    *j = c.j;
    *k = c.k;
}

#if CELLKEYS_MORTON_BMI2
// The routine's body compiled for the processor's own instructions, every
// helper inlined into it; the plain BMI2 form uses no GFNI instruction.
template <MortonPath how>
[[gnu::target("bmi2,gfni,sse2"), gnu::flatten]]
static void to_ijk_fast(const CellKey* key, const std::int32_t* level, std::int32_t* i,
                        std::int32_t* j, std::int32_t* k)
{
    to_ijk<how>(key, level, i, j, k);
}
#endif

extern "C" void ck_to_ijk(const CellKey* key, const std::int32_t* level, std::int32_t* i,
                          std::int32_t* j, std::int32_t* k)
{
#if CELLKEYS_MORTON_BMI2
    switch (chosen_morton_path()) {
    case MortonPath::bmi2:
        return to_ijk_fast<MortonPath::bmi2>(key, level, i, j, k);
    case MortonPath::bmi2_gfni:
        return to_ijk_fast<MortonPath::bmi2_gfni>(key, level, i, j, k);
    case MortonPath::tables:
        break;
    }
#endif
    to_ijk<MortonPath::tables>(key, level, i, j, k);
}
