#include "cellkeys.h"

#include "tree_walk.hpp"

using namespace cellkeys::detail;

extern "C" void tree_replace_value(std::int32_t* child, char* state, const std::int32_t* capacity,
                                   const CellKey* key, const std::int32_t* value, char* status)
{
    const WalkEnd end = walk_key(child, state, capacity, key);
    // Only a leaf that holds a value ("T") takes the new one.
    *status = settle_slot(end, "T", [&] {
        child[slot_index(end.node, end.slot)] = *value;
        return 'N';
    });
}
