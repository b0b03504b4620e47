#include "cellkeys.h"
#include "key_digits.hpp"

#include <cstdint>

using namespace cellkeys::detail;

extern "C" void ck_set_level(CellKey* key, const std::int32_t* level)
{
    // Bits 0 to 24 stay, bit 24 included, as the truncating remainder keeps
    // them.  The sum wraps modulo 2^32 rather than overflow for levels far
    // outside 0..18; levels up to 63 land in the level field unchanged.
    const std::int32_t rest = key->word2 % level_unit;
    const auto word2 = static_cast<std::uint32_t>(rest) +
                       static_cast<std::uint32_t>(*level) * static_cast<std::uint32_t>(level_unit);
    key->word2 = static_cast<std::int32_t>(word2);
}
