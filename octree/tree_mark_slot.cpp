#include "cellkeys.h"

#include "tree_walk.hpp"

using namespace cellkeys::detail;

extern "C" void tree_mark_slot(const std::int32_t* child, char* state, const std::int32_t* capacity,
                               const CellKey* key, char* letter)
{
    const WalkEnd end = walk_key(child, state, capacity, key);
    if (!end.ok) {
        *letter = 'E';
        return;
    }
    switch (end.letter) {
    case 'N':  // own node: its number stays in the child word, so writing
               // "N" back later makes the subtree reachable again
    case 'T':
    case 'O':
    case 'P':
    case 'U': state[slot_index(end.node, end.slot)] = *letter; return;
    default: *letter = 'E'; return;
    }
}
