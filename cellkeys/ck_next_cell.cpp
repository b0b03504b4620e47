#include "cellkeys.h"
#include "key_digits.hpp"

#include <cstdint>

using namespace cellkeys::detail;

extern "C" void ck_next_cell(CellKey* key)
{
    step_cell(key, path_next, nullptr);
}
