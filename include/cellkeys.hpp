// C++ layer over the C interface of cellkeys (header only): helpers that
// return their results by value, path-order comparison of CellKey, and a
// typed view of the three octree arrays.  It allocates nothing, keeps no
// state and does nothing the C routines do not do; every helper is one or
// two calls of them.  Needs C++20 for operator<=>; with C++17 the six
// comparison operators are defined instead.
//
// cellkeys::fill_tables() (ck_fill_tables) fills ck_tables for programs
// that read it; no routine of the library does.
#ifndef CELLKEYS_HPP
#define CELLKEYS_HPP

#include "cellkeys.h"

#include <array>
#include <cstddef>
#include <cstdint>
#if defined(__cpp_impl_three_way_comparison) && __cpp_impl_three_way_comparison >= 201907L
#include <compare>
#endif

namespace cellkeys {

// -1, 0, +1 as a comes before, equals or follows b in path order.
inline std::int32_t collate(const CellKey& a, const CellKey& b) noexcept
{
    std::int32_t result = 0;
    ck_collate(&a, &b, &result);
    return result;
}

}  // namespace cellkeys

// Path order on keys through ck_collate, so std::sort, std::map and
// std::lower_bound order keys as a depth-first pre-order of the octree.
// Keys compare equal when ck_collate answers 0: for well-formed keys that
// means both words are equal; keys with stale digits beyond their level
// may compare equal while their words differ, hence a weak ordering.
// Defined in the global namespace, beside CellKey, so that lookup finds
// them from any namespace.
#if defined(__cpp_impl_three_way_comparison) && __cpp_impl_three_way_comparison >= 201907L
inline std::weak_ordering operator<=>(const CellKey& a, const CellKey& b) noexcept
{
    const std::int32_t r = cellkeys::collate(a, b);
    return r < 0   ? std::weak_ordering::less
           : r > 0 ? std::weak_ordering::greater
                   : std::weak_ordering::equivalent;
}
inline bool operator==(const CellKey& a, const CellKey& b) noexcept
{
    return cellkeys::collate(a, b) == 0;
}
#else
inline bool operator<(const CellKey& a, const CellKey& b) noexcept
{
    return cellkeys::collate(a, b) < 0;
}
inline bool operator>(const CellKey& a, const CellKey& b) noexcept
{
    return cellkeys::collate(a, b) > 0;
}
inline bool operator<=(const CellKey& a, const CellKey& b) noexcept
{
    return cellkeys::collate(a, b) <= 0;
}
inline bool operator>=(const CellKey& a, const CellKey& b) noexcept
{
    return cellkeys::collate(a, b) >= 0;
}
inline bool operator==(const CellKey& a, const CellKey& b) noexcept
{
    return cellkeys::collate(a, b) == 0;
}
inline bool operator!=(const CellKey& a, const CellKey& b) noexcept
{
    return cellkeys::collate(a, b) != 0;
}
#endif

namespace cellkeys {

using Digits = std::array<std::int32_t, ck_digit_entries>;  // entry d - 1: octant digit of level d
using PathBits =
    std::array<std::int32_t, ck_bit_entries>;  // entry 3(d - 1) + a - 1: axis-a bit of level d

struct Ijk {
    std::int32_t i, j, k;
};

inline void fill_tables() noexcept
{
    ck_fill_tables();
}

// ---- keys ----

inline constexpr CellKey root() noexcept
{
    return CellKey{0, 0};
}

inline std::int32_t level(const CellKey& key) noexcept
{
    std::int32_t l = 0;
    ck_get_level(&key, &l);
    return l;
}

// key with its level field replaced (ck_set_level: digits stay).
inline CellKey with_level(CellKey key, std::int32_t l) noexcept
{
    ck_set_level(&key, &l);
    return key;
}

// The key of cell (i, j, k) at level l; the root for l outside 0..18.
inline CellKey from_ijk(std::int32_t l, std::int32_t i, std::int32_t j, std::int32_t k) noexcept
{
    CellKey key = root();
    ck_from_ijk(&key, &l, &i, &j, &k);
    return key;
}

inline Ijk to_ijk(const CellKey& key, std::int32_t l) noexcept
{
    Ijk c{0, 0, 0};
    ck_to_ijk(&key, &l, &c.i, &c.j, &c.k);
    return c;
}

inline Digits digits(const CellKey& key) noexcept
{
    Digits d{};
    ck_to_octal_digits(&key, d.data());
    return d;
}

// Packs digits (levels 1..18) and sets the level field to l.
inline CellKey from_digits(const Digits& d, std::int32_t l) noexcept
{
    CellKey key = root();
    ck_from_octal_digits(&key, d.data());
    ck_set_level(&key, &l);
    return key;
}

inline PathBits bits(const CellKey& key) noexcept
{
    PathBits b{};
    ck_to_bits(&key, b.data());
    return b;
}

inline CellKey from_bits(const PathBits& b, std::int32_t l) noexcept
{
    CellKey key = root();
    ck_from_bits(&key, b.data());
    ck_set_level(&key, &l);
    return key;
}

inline std::int32_t own_digit(const CellKey& key) noexcept
{
    std::int32_t octant = 0;
    ck_own_digit(&key, &octant);
    return octant;
}

inline std::int32_t digit_at(const CellKey& key, std::int32_t l) noexcept
{
    std::int32_t octant = 0;
    ck_digit_at(&key, &l, &octant);
    return octant;
}

inline void print(const CellKey& key) noexcept
{
    ck_print(&key);
}

// ---- navigation and ordering ----

inline CellKey child(CellKey key, std::int32_t octant) noexcept
{
    ck_to_child(&key, &octant);
    return key;
}

inline CellKey parent(CellKey key) noexcept
{
    ck_to_parent(&key);
    return key;
}

inline CellKey truncated(const CellKey& key, std::int32_t l) noexcept
{
    CellKey out = root();
    ck_truncate_into(&key, &out, &l);
    return out;
}

// -1, 0, +1 on the digits of levels 1..l only, no level tie-break.
inline std::int32_t collate_at(const CellKey& a, const CellKey& b, std::int32_t l) noexcept
{
    std::int32_t result = 0;
    ck_collate_at(&a, &b, &l, &result);
    return result;
}

inline CellKey next_cell(CellKey key) noexcept
{
    ck_next_cell(&key);
    return key;
}

inline CellKey prev_cell(CellKey key) noexcept
{
    ck_prev_cell(&key);
    return key;
}

inline CellKey next_cell_at(CellKey key, std::int32_t l) noexcept
{
    ck_next_cell_at(&key, &l);
    return key;
}

inline CellKey prev_cell_at(CellKey key, std::int32_t l) noexcept
{
    ck_prev_cell_at(&key, &l);
    return key;
}

// The same-level face neighbour of key along axis (1..3), up for
// direction > 0, with periodic wrap; key itself for an axis out of range.
inline CellKey axis_neighbour(const CellKey& key, std::int32_t axis,
                              std::int32_t direction) noexcept
{
    const PathBits b = bits(key);
    std::int32_t l = level(key);
    CellKey out = key;
    ck_axis_neighbour(&out, b.data(), &l, &axis, &direction);
    return out;
}

// Words of work that sort_keys (ck_sort_keys) needs for n keys.
constexpr std::size_t sort_work_words(std::int32_t n) noexcept
{
    return 5 * static_cast<std::size_t>(n > 0 ? n : 0) + ck_sort_count_words;
}

// order[k] := the slot (from 1) of the key that comes k-th in path order,
// k = 0..n - 1, stable; work: sort_work_words(n) words, overwritten.
inline void sort_keys(const CellKey* keys, std::int32_t n, std::int32_t* order,
                      std::int32_t* work) noexcept
{
    static_assert(sizeof(CellKey) == 2 * sizeof(std::int32_t));
    ck_sort_keys(&n, reinterpret_cast<const std::int32_t*>(keys), order, work);
}

// ---- octree ----

// What tree_lookup reports.
struct Found {
    char status;         // the letter found, "E" refused
    std::int32_t level;  // level of the slot where the walk ended
    std::int32_t value;  // node number under "N", the value under "T", else 0
};

// A typed, non-owning view of a caller's octree: the parent, child and
// state arrays of `capacity` rows and the node count.  Nodes count from 1,
// slots from 0 (octant digits).  Copying the view copies the pointers only.
class TreeView {
public:
    TreeView(std::int32_t* parent, std::int32_t* child, char* state, std::int32_t capacity,
             std::int32_t* count) noexcept
        : parent_(parent), child_(child), state_(state), capacity_(capacity), count_(count)
    {}

    std::int32_t capacity() const noexcept { return capacity_; }
    std::int32_t count() const noexcept { return *count_; }

    // Element access by node (1..capacity) and slot (0..7); not checked.
    std::int32_t& parent(std::int32_t node) const noexcept { return parent_[node - 1]; }
    std::int32_t& child(std::int32_t node, std::int32_t slot) const noexcept
    {
        return child_[(node - 1) * 8 + slot];
    }
    char& state(std::int32_t node, std::int32_t slot) const noexcept
    {
        return state_[(node - 1) * 8 + slot];
    }

    void reset() const noexcept { tree_reset(parent_, child_, state_, &capacity_, count_); }
    void reset_to_o() const noexcept
    {
        tree_reset_to_o(parent_, child_, state_, &capacity_, count_);
    }

    // Each returns the routine's status letter.
    char refine(const CellKey& key) const noexcept
    {
        char status = 'E';
        tree_refine(parent_, child_, state_, &capacity_, count_, &key, &status);
        return status;
    }
    char refine_fill(const CellKey& key, std::int32_t l, char fill) const noexcept
    {
        tree_refine_fill(parent_, child_, state_, &capacity_, count_, &key, &l, &fill);
        return fill;
    }
    char put_value(const CellKey& key, std::int32_t value) const noexcept
    {
        char status = 'E';
        tree_put_value(child_, state_, &capacity_, &key, &value, &status);
        return status;
    }
    char put_value_if_free(const CellKey& key, std::int32_t value) const noexcept
    {
        char status = 'E';
        tree_put_value_if_free(child_, state_, &capacity_, &key, &value, &status);
        return status;
    }
    char replace_value(const CellKey& key, std::int32_t value) const noexcept
    {
        char status = 'E';
        tree_replace_value(child_, state_, &capacity_, &key, &value, &status);
        return status;
    }
    char mark_slot(const CellKey& key, char letter) const noexcept
    {
        tree_mark_slot(child_, state_, &capacity_, &key, &letter);
        return letter;
    }
    Found lookup(const CellKey& key) const noexcept
    {
        Found f{'E', 0, 0};
        tree_lookup(child_, state_, &capacity_, &key, &f.level, &f.value, &f.status);
        return f;
    }
    // What lookup gives for keys[i], i = 0..n - 1, in levels[i], values[i]
    // and statuses[i] (arrays of n entries that do not overlap keys); a
    // CellKey array is a key array.  Fastest with keys in path order.
    void lookup_many(const CellKey* keys, std::int32_t n, std::int32_t* levels,
                     std::int32_t* values, char* statuses) const noexcept
    {
        static_assert(sizeof(CellKey) == 2 * sizeof(std::int32_t));
        tree_lookup_many(child_, state_, &capacity_, &n,
                         reinterpret_cast<const std::int32_t*>(keys), levels, values, statuses);
    }
    // As lookup_many, as fast for keys in any order as for keys in path
    // order: the keys are sorted (order and work as for sort_keys), looked
    // up in path order with the gathered keys and answers in work, and the
    // answers scattered back to the keys' own places.
    void sort_and_lookup_many(const CellKey* keys, std::int32_t n, std::int32_t* order,
                              std::int32_t* work, std::int32_t* levels, std::int32_t* values,
                              char* statuses) const noexcept
    {
        if (n <= 0)
            return;
        sort_keys(keys, n, order, work);
        const auto size = static_cast<std::size_t>(n);
        auto* sorted = reinterpret_cast<CellKey*>(work);  // 2n words
        std::int32_t* found_levels = work + 2 * size;
        std::int32_t* found_values = work + 3 * size;
        char* found_statuses = reinterpret_cast<char*>(work + 4 * size);
        for (std::size_t k = 0; k < size; ++k)
            sorted[k] = keys[order[k] - 1];
        lookup_many(sorted, n, found_levels, found_values, found_statuses);
        for (std::size_t k = 0; k < size; ++k) {
            const std::size_t at = static_cast<std::size_t>(order[k]) - 1;
            levels[at] = found_levels[k];
            values[at] = found_values[k];
            statuses[at] = found_statuses[k];
        }
    }
    void print() const noexcept { tree_print(parent_, child_, state_, &capacity_, count_); }

private:
    std::int32_t* parent_;
    std::int32_t* child_;
    char* state_;
    std::int32_t capacity_;
    std::int32_t* count_;
};

// ---- random numbers ----

using SavedState = std::array<double, 100>;        // rng_save_state's layout
using SavedStateSecond = std::array<double, 102>;  // rng_save_state_second's layout

inline SavedState saved_state() noexcept
{
    SavedState s{};
    rng_save_state(s.data());
    return s;
}

inline void load_state(const SavedState& s) noexcept
{
    rng_load_state(s.data());
}

inline SavedStateSecond saved_state_second() noexcept
{
    SavedStateSecond s{};
    rng_save_state_second(s.data());
    return s;
}

inline void load_state_second(const SavedStateSecond& s) noexcept
{
    rng_load_state_second(s.data());
}

}  // namespace cellkeys

#endif  // CELLKEYS_HPP
