#include "cellkeys.h"
#include "key_digits.hpp"

#include <cstdint>

extern "C" void ck_get_level(const CellKey* key, std::int32_t* level)
{
    *level = cellkeys::detail::level_of(key);
}
