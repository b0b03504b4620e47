#include "cellkeys.h"
#include "key_arrays.hpp"

#include <cstdint>

using namespace cellkeys::detail;

extern "C" void ck_read_slot(CellKey* key, const std::int32_t* keys, const std::int32_t* capacity,
                             const std::int32_t* slot)
{
    if (!slots_within(*slot, *slot, *capacity))
        return;
    const std::int32_t w1 = keys[2 * std::int64_t{*slot} - 2];
    const std::int32_t w2 = keys[2 * std::int64_t{*slot} - 1];
    key->word1 = w1;
    key->word2 = w2;
}
