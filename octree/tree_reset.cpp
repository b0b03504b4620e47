#include "cellkeys.h"

#include "tree_walk.hpp"

using namespace cellkeys::detail;

extern "C" void tree_reset(std::int32_t* parent, std::int32_t* child,
                           char* state, const std::int32_t* capacity,
                           std::int32_t* count) {
    // Arrays without a single row have no room for the root.
    if (*capacity < 1) {
        return;
    }
    parent[0] = 0;
    for (std::int32_t j = 0; j < slots_per_node; ++j) {
        child[j] = 0;
        state[j] = 'U';
    }
    *count = 1;
}
