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
    if (hi < lo)
        return;
    // Copies only when the range lies within both arrays.
    if (!slots_within(lo, hi, *large_capacity)
        || !slots_within(1, std::int64_t{hi} - lo + 1, *compact_capacity))
        return;
    for (std::int64_t i = lo; i <= hi; ++i) {
        const std::int64_t c = i - lo + 1;
        compact[2 * c - 2] = large[2 * i - 2];
        compact[2 * c - 1] = large[2 * i - 1];
    }
}
