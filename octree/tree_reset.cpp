#include "cellkeys.h"

#include "tree_walk.hpp"

using namespace cellkeys::detail;

extern "C" void tree_reset(std::int32_t* parent, std::int32_t* child, char* state,
                           const std::int32_t* capacity, std::int32_t* count)
{
    reset_root(parent, child, state, capacity, count, 'U');
}
