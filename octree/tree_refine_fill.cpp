#include "cellkeys.h"

#include "tree_walk.hpp"

using namespace cellkeys::detail;

extern "C" void tree_refine_fill(std::int32_t* parent, std::int32_t* child,
                                 char* state, const std::int32_t* capacity,
                                 std::int32_t* count, const CellKey* key,
                                 const std::int32_t* level, char* fill) {
    // A walk deeper than 20 levels would run past the digit array; a full
    // tree or one without a root row has nowhere to put the node.
    if (*level > digit_entries || *capacity < 1 ||
        !has_free_row(capacity, count)) {
        *fill = 'E';
        return;
    }
    std::int32_t digits[digit_entries];
    ck_to_octal_digits(key, digits);
    const WalkEnd end = walk(child, state, *capacity, digits, *level);
    if (!end.ok || end.letter == 'N') {
        *fill = 'E';
        return;
    }
    create_node(parent, child, state, count, end, *fill);
}
