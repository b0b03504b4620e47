#include "cellkeys.h"

#include "tree_walk.hpp"

using namespace cellkeys::detail;

extern "C" void tree_refine_fill(std::int32_t* parent, std::int32_t* child, char* state,
                                 const std::int32_t* capacity, std::int32_t* count,
                                 const CellKey* key, const std::int32_t* level, char* fill)
{
    // A walk deeper than 20 levels would run past the key's digits; a full
    // tree or one without a root row has nowhere to put the node.
    if (!walkable(capacity, *level) || !has_free_row(capacity, count)) {
        *fill = 'E';
        return;
    }
    const WalkEnd end = walk(child, state, *capacity, unpacked_path(key), *level);
    if (!end.ok || end.letter == 'N') {
        *fill = 'E';
        return;
    }
    create_node(parent, child, state, count, end, *fill);
}
