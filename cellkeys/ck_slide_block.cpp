#include "cellkeys.h"
#include "key_arrays.hpp"

#include <cstdint>

using namespace cellkeys::detail;

extern "C" void ck_slide_block(std::int32_t* keys, const std::int32_t* capacity,
                               const std::int32_t* count, const std::int32_t* distance,
                               const std::int32_t* direction)
{
    const std::int32_t n = *count;
    const std::int32_t s = *distance;
    if (s <= 0 || n <= 0)
        return;
    // The slide spans slots 1 to n + s; a block that does not fit the array
    // is left alone.
    if (!slots_within(1, std::int64_t{n} + s, *capacity))
        return;
    // Rising order for a slide down and falling order for a slide up keep
    // overlapping source and target ranges correct without scratch space.
    if (*direction < 0) {
        for (std::int32_t i = 1; i <= n; ++i)
            copy_slot(keys, i + s, i);
    } else {
        for (std::int32_t i = n; i >= 1; --i)
            copy_slot(keys, i, i + s);
    }
}
