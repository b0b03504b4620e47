// A deliberately simple reference for the octree routines: a map from each
// cell (its path of octant digits) to the letter and word of the slot that
// stands for it, plus the node numbers handed out.  It shares no code with
// the library and rebuilds the three flat arrays on request, so a test can
// compare them word for word.
#ifndef CELLKEYS_TESTS_OCTREE_MODEL_HPP
#define CELLKEYS_TESTS_OCTREE_MODEL_HPP

#include <cstdint>
#include <map>
#include <vector>

namespace octree_model {

using Cell = std::vector<int>;  // octant digits of levels 1, 2, ...

// The two words of the key whose path is `digits`, of level digits.size()
// unless `level` says otherwise: digit d of levels 1 to 10 weighs 8^(d - 1)
// in word 1, of levels 11 to 18 8^(d - 11) in word 2, above the level
// field worth level * 2^25.
inline void key_words(const Cell& digits, std::int32_t* word1, std::int32_t* word2, int level = -1)
{
    if (level < 0) {
        level = static_cast<int>(digits.size());
    }
    std::int64_t w1 = 0, w2 = static_cast<std::int64_t>(level) * 33554432;
    std::int64_t weight1 = 1, weight2 = 1;
    for (std::size_t d = 0; d < digits.size(); ++d) {
        if (d < 10) {
            w1 += digits[d] * weight1;
            weight1 *= 8;
        } else {
            w2 += digits[d] * weight2;
            weight2 *= 8;
        }
    }
    *word1 = static_cast<std::int32_t>(w1);
    *word2 = static_cast<std::int32_t>(w2);
}

struct Slot {
    char letter;
    std::int32_t word;
};

struct Row {
    std::int32_t parent;
    Slot slots[8];
};

struct Found {
    char status;
    std::int32_t level;
    std::int32_t value;
    bool operator==(const Found&) const = default;
};

class Model {
public:
    // `untouched` is the content of every row before the first reset.
    Model(int capacity, const Row& untouched);

    void reset(char letter);
    // `digits` holds the key's path down to its own level.
    char refine(const Cell& digits);
    char refine_fill(const Cell& digits, int level, char fill);
    char put_value(const Cell& digits, std::int32_t value, bool only_free);
    char replace_value(const Cell& digits, std::int32_t value);
    Found lookup(const Cell& digits) const;
    char mark_slot(const Cell& digits, char letter);
    // True when writing "N" on the slot the key reaches leaves a tree whose
    // every "N" slot names the node of its own cell.
    bool can_mark_n(const Cell& digits) const;

    int count() const { return count_; }
    std::vector<std::int32_t> parent_array() const;
    std::vector<std::int32_t> child_array() const;
    std::vector<char> state_array() const;

private:
    Cell walk(const Cell& digits, int last) const;
    bool create(const Cell& cell, char fill);
    Row live_row(int node) const;

    int capacity_;
    int count_ = 0;
    std::map<Cell, Slot> slots_;   // every slot of every live node
    std::map<Cell, int> node_of_;  // live node standing for a cell
    std::map<int, Cell> cell_of_;  // the reverse
    std::vector<Row> stale_;       // rows no live node stands for
};

}  // namespace octree_model

#endif
