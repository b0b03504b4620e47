#include "cellkeys.h"

#include "tree_walk.hpp"

using namespace cellkeys::detail;

extern "C" void tree_refine(std::int32_t* parent, std::int32_t* child,
                            char* state, const std::int32_t* capacity,
                            std::int32_t* count, const CellKey* key,
                            char* status) {
    const WalkEnd end = walk_key(child, state, capacity, key);
    if (!end.ok) {
        *status = 'E';
        return;
    }
    switch (end.letter) {
    case 'U':
        // A full tree refuses instead of writing past the arrays.
        if (!has_free_row(capacity, count)) {
            *status = 'E';
            return;
        }
        create_node(parent, child, state, count, end, 'U');
        *status = 'N';
        return;
    case 'T':
    case 'O':
    case 'P':
        *status = end.letter;
        return;
    default:  // own node "N", or a letter the tree does not know
        *status = 'E';
        return;
    }
}
