#include "cellkeys.h"

#include "tree_walk.hpp"

using namespace cellkeys::detail;

extern "C" void tree_lookup(const std::int32_t* child, const char* state,
                            const std::int32_t* capacity, const CellKey* key,
                            std::int32_t* level, std::int32_t* value,
                            char* status) {
    const WalkEnd end = walk_key(child, state, capacity, key);
    *level = end.level;
    if (!end.ok) {
        *value = 0;
        *status = 'E';
        return;
    }
    switch (end.letter) {
    case 'N':
    case 'T':
        *value = end.word;
        *status = end.letter;
        return;
    case 'O':
    case 'P':
    case 'U':
        // The child word of these slots carries no meaning and is not passed on.
        *value = 0;
        *status = end.letter;
        return;
    default:
        *value = 0;
        *status = 'E';
        return;
    }
}
