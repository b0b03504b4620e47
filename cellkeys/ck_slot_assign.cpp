#include "cellkeys.h"
#include "key_arrays.hpp"

#include <cstdint>

using namespace cellkeys::detail;

extern "C" void ck_slot_assign(std::int32_t* keys, const std::int32_t* capacity,
                               const std::int32_t* from, const std::int32_t* to)
{
    assign_slot(keys, capacity, from, to);
}
