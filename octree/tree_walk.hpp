// Shared by the octree routines: array positions, the walk from the root
// along a key's octant digits, lookup answers and node creation.  Not
// installed; names kept internal as key_digits.hpp describes.
#ifndef CELLKEYS_OCTREE_TREE_WALK_HPP
#define CELLKEYS_OCTREE_TREE_WALK_HPP

#include "cellkeys.h"
#include "key_digits.hpp"

#include <array>
#include <cstddef>
#include <cstdint>

namespace cellkeys::detail {
constexpr std::int32_t slots_per_node = 8;

// Zero-based position of (slot, node) in the flat child and state arrays.
// Computed in size_t so that large capacities cannot overflow.
static inline std::size_t slot_index(std::int32_t node, std::int32_t slot)
{
    return static_cast<std::size_t>(node - 1) * slots_per_node + static_cast<std::size_t>(slot);
}

// Where a walk ended: slot `slot` of node `node`, at level `level`, holding
// `letter` and child word `word`.  `ok` is false when the walk was refused.
struct WalkEnd {
    std::int32_t node;
    std::int32_t slot;
    std::int32_t level;
    std::int32_t word;
    char letter;
    bool ok;
};

// A key refused before any array is read: level 0, nothing found.
constexpr WalkEnd refused_walk{0, 0, 0, 0, 'E', false};

// One step of a walk: reads the slot of row `node` (1..rows) that the
// lowest digit of `path` names, at `level`.  Returns true when the walk
// stops there, with where it ended in *end: at a leaf or at level `last`,
// or refused where it would follow a node number outside 1..rows, which
// names no row of the arrays.  Otherwise *next is the node to go on to.
static inline bool step_ends(const std::int32_t* child, const char* state, std::uint32_t rows,
                             std::uint32_t node, std::uint64_t path, std::int32_t level,
                             std::int32_t last, std::uint32_t* next, WalkEnd* end)
{
    // Row n starts at element 8n - 8; keeping the node number unsigned and
    // the -8 in the load's displacement shortens the chain from one child
    // word to the next slot's address.
    const auto slot = static_cast<std::uint32_t>(path & digit_mask);
    const std::size_t at = std::size_t{node} * slots_per_node + slot - slots_per_node;
    // Both words of the slot are read before the letter is known, so that
    // their cache misses overlap instead of following each other.
    const char letter = state[at];
    const std::int32_t word = child[at];
    const bool ends = letter != 'N' || level >= last;
    if (ends || static_cast<std::uint32_t>(word) - 1 >= rows) {
        *end = WalkEnd{static_cast<std::int32_t>(node),
                       static_cast<std::int32_t>(slot),
                       level,
                       word,
                       letter,
                       ends};
        return true;
    }
    *next = static_cast<std::uint32_t>(word);
    return false;
}

// Walks from the root down to level `last` (levels below 1 act as 1) along
// `path`, whose lowest three bits are the octant digit of level 1, the next
// three that of level 2, and so on (the digits of key_digits.hpp's paths).
// last is at most 20 and capacity at least 1.
static inline WalkEnd walk(const std::int32_t* child, const char* state, std::int32_t capacity,
                           std::uint64_t path, std::int32_t last)
{
    const std::uint32_t rows = static_cast<std::uint32_t>(capacity);
    std::uint32_t node = 1;
    WalkEnd end;
    for (std::int32_t level = 1;
         !step_ends(child, state, rows, node, path, level, last, &node, &end); ++level)
        path >>= bits_per_level;
    return end;
}

// Whether a key may be walked at all: there is a root row, and the key's
// level field is at most 20, beyond which its digits would need a third
// word.  A key refused here is answered before any array is read.
static inline bool walkable(const std::int32_t* capacity, std::int32_t key_level)
{
    return *capacity >= 1 && key_level <= max_unpacked_level;
}

// Walks along the key to its own level, taking the digits straight from
// the key's words (those ck_to_octal_digits gives) and the level as
// ck_get_level gives it.
static inline WalkEnd walk_key(const std::int32_t* child, const char* state,
                               const std::int32_t* capacity, const CellKey* key)
{
    const std::int32_t last = level_of(key);
    if (!walkable(capacity, last)) {
        return refused_walk;
    }
    return walk(child, state, *capacity, unpacked_path(key), last);
}

// What each slot letter means to a lookup: bit 0 a letter the tree knows
// ("N", "T", "O", "P", "U"), bit 1 a child word that is passed on ("N" a
// node number, "T" a value).
static constexpr auto make_letter_kinds()
{
    std::array<unsigned char, 256> t{};
    for (unsigned char c : {'O', 'P', 'U'}) {
        t[c] = 1;
    }
    for (unsigned char c : {'N', 'T'}) {
        t[c] = 3;
    }
    return t;
}
constexpr auto letter_kinds = make_letter_kinds();

// tree_lookup's answer for the end of a walk: the level reached, and the
// value and letter of an own node "N" or a value "T"; 0 for other leaves,
// whose child word means nothing; "E" for an unknown letter or a refusal.
// Free of branches, so that a batch of walks pays no misprediction here.
static inline void lookup_answer(const WalkEnd& end, std::int32_t* level, std::int32_t* value,
                                 char* status)
{
    const unsigned kind = end.ok ? letter_kinds[static_cast<unsigned char>(end.letter)] : 0;
    *level = end.level;
    *value = (kind & 2) != 0 ? end.word : 0;
    *status = (kind & 1) != 0 ? end.letter : 'E';
}

// The status of a routine that changes the slot where a walk ended.  When
// the slot holds one of the letters in `acting`, act() changes it and gives
// the status; any other leaf letter ("T", "O", "P", "U") is the status as it
// is, and an own node "N", an unknown letter or a refused walk give "E".
template <class Act>
static inline char settle_slot(const WalkEnd& end, const char* acting, Act act)
{
    if (!end.ok) {
        return 'E';
    }
    for (const char* c = acting; *c != '\0'; ++c) {
        if (end.letter == *c) {
            return act();
        }
    }
    const unsigned kind = letter_kinds[static_cast<unsigned char>(end.letter)];
    return kind == 1 || end.letter == 'T' ? end.letter : 'E';
}

// Gives slot `end` a new node, number count + 1, whose slots hold 0 and
// `fill`.  The caller has checked that count + 1 is a row of the arrays.
static inline void create_node(std::int32_t* parent, std::int32_t* child, char* state,
                               std::int32_t* count, const WalkEnd& end, char fill)
{
    const std::int32_t made = *count + 1;
    *count = made;
    const std::size_t at = slot_index(end.node, end.slot);
    child[at] = made;
    state[at] = 'N';
    parent[made - 1] = end.node;
    const std::size_t row = slot_index(made, 0);
    for (std::int32_t j = 0; j < slots_per_node; ++j) {
        child[row + j] = 0;
        state[row + j] = fill;
    }
}

// Makes the leaf where a walk ended hold value ("T").
static inline void store_value(std::int32_t* child, char* state, const WalkEnd& end,
                               std::int32_t value)
{
    const std::size_t at = slot_index(end.node, end.slot);
    child[at] = value;
    state[at] = 'T';
}

// Starts a tree: the root row with eight slots holding 0 and `letter`.
// Arrays without a single row have no room for the root: nothing is written.
static inline void reset_root(std::int32_t* parent, std::int32_t* child, char* state,
                              const std::int32_t* capacity, std::int32_t* count, char letter)
{
    if (*capacity < 1) {
        return;
    }
    parent[0] = 0;
    for (std::int32_t j = 0; j < slots_per_node; ++j) {
        child[j] = 0;
        state[j] = letter;
    }
    *count = 1;
}

// True when a refining call may create one more node: the tree has a root
// and a free row remains.
static inline bool has_free_row(const std::int32_t* capacity, const std::int32_t* count)
{
    return *count >= 1 && *count < *capacity;
}

}  // namespace cellkeys::detail

#endif
