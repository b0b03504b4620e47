#include "cellkeys.h"
#include "key_arrays.hpp"

#include <cstdint>

using namespace cellkeys::detail;

extern "C" void ck_scatter_range(const std::int32_t* compact, const std::int32_t* compact_capacity,
                                 std::int32_t* large, const std::int32_t* large_capacity,
                                 const std::int32_t* first, const std::int32_t* last)
{
    const std::int32_t lo = *first;
    const std::int32_t hi = *last;
    // Copies only when the range lies within both arrays.
    if (range_within_both(lo, hi, *large_capacity, *compact_capacity))
        copy_slots(large, lo, compact, 1, std::int64_t{hi} - lo + 1);
}
