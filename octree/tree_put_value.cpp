#include "cellkeys.h"

#include "tree_walk.hpp"

using namespace cellkeys::detail;

extern "C" void tree_put_value(std::int32_t* child, char* state, const std::int32_t* capacity,
                               const CellKey* key, const std::int32_t* value, char* status)
{
    const WalkEnd end = walk_key(child, state, capacity, key);
    // A free or "O"-marked leaf takes the value.
    *status = settle_slot(end, "UO", [&] {
        store_value(child, state, end, *value);
        return 'N';
    });
}
