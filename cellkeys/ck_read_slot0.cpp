#include "cellkeys.h"
#include "key_arrays.hpp"

#include <cstdint>

using namespace cellkeys::detail;

// Zero-based array: slots 0 to capacity, slot s at indices 2s and 2s + 1.
extern "C" void ck_read_slot0(CellKey* key, const std::int32_t* keys, const std::int32_t* capacity,
                              const std::int32_t* slot)
{
    const std::int64_t s = *slot;
    if (!slots_within(s + 1, s + 1, std::int64_t{*capacity} + 1))
        return;
    const std::int32_t w1 = keys[2 * s];
    const std::int32_t w2 = keys[2 * s + 1];
    key->word1 = w1;
    key->word2 = w2;
}
