#include "cellkeys.h"
#include "key_digits.hpp"

#include <cstdint>

using namespace cellkeys::detail;

extern "C" void ck_next_cell_at(CellKey* key, const std::int32_t* level)
{
    step_cell(key, path_next, level);
}
