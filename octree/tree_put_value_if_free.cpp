#include "cellkeys.h"

#include "tree_walk.hpp"

using namespace cellkeys::detail;

extern "C" void tree_put_value_if_free(std::int32_t* child, char* state,
                                       const std::int32_t* capacity, const CellKey* key,
                                       const std::int32_t* value, char* status)
{
    const WalkEnd end = walk_key(child, state, capacity, key);
    // Only a free leaf takes the value.
    *status = settle_slot(end, "U", [&] {
        store_value(child, state, end, *value);
        return 'N';
    });
}
