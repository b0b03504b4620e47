#include "cellkeys.h"

#include "tree_walk.hpp"

using namespace cellkeys::detail;

extern "C" void tree_lookup(const std::int32_t* child, const char* state,
                            const std::int32_t* capacity, const CellKey* key, std::int32_t* level,
                            std::int32_t* value, char* status)
{
    lookup_answer(walk_key(child, state, capacity, key), level, value, status);
}
