#include "cellkeys.h"

#include "tree_walk.hpp"

using namespace cellkeys::detail;

extern "C" void tree_put_value_if_free(std::int32_t* child, char* state,
                                       const std::int32_t* capacity,
                                       const CellKey* key,
                                       const std::int32_t* value,
                                       char* status) {
    const WalkEnd end = walk_key(child, state, capacity, key);
    if (!end.ok) {
        *status = 'E';
        return;
    }
    switch (end.letter) {
    case 'U':
        store_value(child, state, end, *value);
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
