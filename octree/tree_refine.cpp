#include "cellkeys.h"

#include "tree_walk.hpp"

using namespace cellkeys::detail;

extern "C" void tree_refine(std::int32_t* parent, std::int32_t* child, char* state,
                            const std::int32_t* capacity, std::int32_t* count, const CellKey* key,
                            char* status)
{
    const WalkEnd end = walk_key(child, state, capacity, key);
    // A free leaf becomes a node; a full tree refuses instead of writing past
    // the arrays.
    *status = settle_slot(end, "U", [&] {
        if (!has_free_row(capacity, count)) {
            return 'E';
        }
        create_node(parent, child, state, count, end, 'U');
        return 'N';
    });
}
