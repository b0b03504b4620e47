#include "cellkeys.h"
#include "key_arrays.hpp"

#include <cstdint>

using namespace cellkeys::detail;

extern "C" void ck_gather_range(std::int32_t* compact, const std::int32_t* compact_capacity,
                                const std::int32_t* large, const std::int32_t* large_capacity,
                                const std::int32_t* first, const std::int32_t* last)
{
    const std::int32_t lo = *first;
    const std::int32_t hi = *last;
    // Copies only when the range lies within both arrays.
    if (range_within_both(lo, hi, *large_capacity, *compact_capacity))
        copy_slots(compact, 1, large, lo, std::int64_t{hi} - lo + 1);
}
