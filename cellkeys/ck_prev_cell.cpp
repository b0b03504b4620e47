#include "cellkeys.h"
#include "key_digits.hpp"

#include <cstdint>

using namespace cellkeys::detail;

extern "C" void ck_prev_cell(CellKey* key)
{
    step_cell(key, path_prev, nullptr);
}
