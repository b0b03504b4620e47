// Caller-side arrays of one octree and short forms of the library calls, for
// the octree tests.
#ifndef CELLKEYS_TESTS_OCTREE_TREE_FIXTURE_HPP
#define CELLKEYS_TESTS_OCTREE_TREE_FIXTURE_HPP

#include "cellkeys.h"
#include "octree_model.hpp"

#include <cstdint>
#include <ostream>
#include <vector>

inline CellKey key_of(const octree_model::Cell& digits, int level = -1)
{
    CellKey key;
    octree_model::key_words(digits, &key.word1, &key.word2, level);
    return key;
}

struct Tree {
    explicit Tree(std::int32_t rows)
        : capacity(rows), parent(rows, -7), child(8 * rows, -7), state(8 * rows, '?')
    {
        ck_fill_tables();
    }

    void reset() { tree_reset(parent.data(), child.data(), state.data(), &capacity, &count); }
    void reset_to_o()
    {
        tree_reset_to_o(parent.data(), child.data(), state.data(), &capacity, &count);
    }
    char refine(const CellKey& key)
    {
        char status = '?';
        tree_refine(parent.data(), child.data(), state.data(), &capacity, &count, &key, &status);
        return status;
    }
    char refine_fill(const CellKey& key, std::int32_t level, char fill)
    {
        tree_refine_fill(parent.data(), child.data(), state.data(), &capacity, &count, &key, &level,
                         &fill);
        return fill;
    }
    char put(const CellKey& key, std::int32_t value)
    {
        char status = '?';
        tree_put_value(child.data(), state.data(), &capacity, &key, &value, &status);
        return status;
    }
    char put_if_free(const CellKey& key, std::int32_t value)
    {
        char status = '?';
        tree_put_value_if_free(child.data(), state.data(), &capacity, &key, &value, &status);
        return status;
    }
    char replace(const CellKey& key, std::int32_t value)
    {
        char status = '?';
        tree_replace_value(child.data(), state.data(), &capacity, &key, &value, &status);
        return status;
    }
    octree_model::Found lookup(const CellKey& key) const
    {
        octree_model::Found found{'?', -1, -1};
        tree_lookup(child.data(), state.data(), &capacity, &key, &found.level, &found.value,
                    &found.status);
        return found;
    }
    char mark(const CellKey& key, char letter)
    {
        tree_mark_slot(child.data(), state.data(), &capacity, &key, &letter);
        return letter;
    }
    // Slot s of node n, both as the routines number them.
    std::int32_t child_at(int node, int slot) const { return child[(node - 1) * 8 + slot]; }
    char state_at(int node, int slot) const { return state[(node - 1) * 8 + slot]; }

    std::int32_t capacity;
    std::int32_t count = -7;
    std::vector<std::int32_t> parent;
    std::vector<std::int32_t> child;
    std::vector<char> state;
};

namespace octree_model {
inline void PrintTo(const Found& f, std::ostream* os)
{
    *os << "{'" << f.status << "', level " << f.level << ", value " << f.value << "}";
}
}  // namespace octree_model

#endif
