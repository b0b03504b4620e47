// Out-of-range arguments: every buffer is exactly as large as the interface
// says and lies between guard words, so a read or write outside it shows
// under AddressSanitizer or as a changed guard; the documented results are
// checked beside.
#include "cellkeys.h"
#include "key_test_util.hpp"

#include <gtest/gtest.h>

#include <vector>

using keytest::same;

namespace {
constexpr std::int32_t guard = 0x5a5a5a5a;
// n words of payload framed by guard words.
struct Framed {
    explicit Framed(std::size_t n, std::int32_t fill = -3) : words(n + 8, guard)
    {
        for (std::size_t e = 0; e < n; ++e)
            words[4 + e] = fill;
        size = n;
    }
    std::int32_t* data() { return words.data() + 4; }
    bool guards_intact() const
    {
        for (std::size_t e = 0; e < 4; ++e)
            if (words[e] != guard || words[4 + size + e] != guard)
                return false;
        return true;
    }
    std::vector<std::int32_t> words;
    std::size_t size;
};
const std::int32_t bad_levels[] = {-2147483647 - 1, -100, -1, 19, 20, 21, 22, 63, 64, 1000,
                                   2147483647};
// Levels that name no digit for ck_digit_at.
const std::int32_t no_digit_levels[] = {-2147483647 - 1, -100, -1, 0, 21, 22, 63, 64, 1000,
                                        2147483647};
// A key whose level field reads as level (-63..63), every path bit set.
CellKey with_level_field(std::int32_t level)
{
    const std::int64_t w2 = std::int64_t{level} * 33554432 + (level < 0 ? -0xffffff : 0xffffff);
    return CellKey{0x3fffffff, static_cast<std::int32_t>(w2)};
}
}  // namespace

TEST(guards, array_builders_write_zeros_where_the_arrays_would_overflow)
{
    for (std::int32_t level : {-63, -1, 21, 22, 40, 63}) {
        const CellKey k = with_level_field(level);
        Framed d(20), b(64);
        ck_to_octal_digits(&k, d.data());
        ck_to_bits(&k, b.data());
        EXPECT_TRUE(d.guards_intact());
        EXPECT_TRUE(b.guards_intact());
        for (int e = 0; e < 20; ++e)
            EXPECT_EQ(d.data()[e], 0) << level;
        for (int e = 0; e < 64; ++e)
            EXPECT_EQ(b.data()[e], 0) << level;
    }
}

TEST(guards, levels_that_still_fit_the_arrays_unpack_the_stored_words)
{
    // Levels 19 and 20 take bit 24 and the level field's low bits as
    // further digits, as the stored words stand.
    for (std::int32_t level : {19, 20}) {
        const CellKey k = with_level_field(level);
        Framed d(20), b(64);
        ck_to_octal_digits(&k, d.data());
        ck_to_bits(&k, b.data());
        EXPECT_TRUE(d.guards_intact());
        EXPECT_TRUE(b.guards_intact());
        std::int32_t md[21], mb[65];
        keymodel::to_bits(keytest::model(k), mb);
        for (int e = 0; e < 64; ++e)
            EXPECT_EQ(b.data()[e], mb[e + 1]) << level << " " << e;
        keymodel::to_digits(keytest::model(k), md);
        for (int e = 0; e < 20; ++e)
            EXPECT_EQ(d.data()[e], md[e + 1]) << level << " " << e;
        std::int32_t octant = -1;
        ck_own_digit(&k, &octant);
        EXPECT_EQ(octant, keymodel::own_digit(keytest::model(k)));
        for (std::int32_t n = 19; n <= 20; ++n) {
            ck_digit_at(&k, &n, &octant);
            EXPECT_EQ(octant, keymodel::digit_at(keytest::model(k), n));
        }
    }
}

TEST(guards, key_builders_leave_the_key_alone_out_of_range)
{
    for (std::int32_t level : bad_levels) {
        Framed key(2, 77);
        CellKey* k = reinterpret_cast<CellKey*>(key.data());
        const std::int32_t zero = 0;
        ck_from_ijk(k, &level, &zero, &zero, &zero);
        ck_truncate_to(k, &level);
        ck_next_cell_at(k, &level);
        ck_prev_cell_at(k, &level);
        CellKey src{1, 33554432};
        ck_truncate_into(&src, k, &level);
        Framed bits(64, 1);
        const std::int32_t axis = 1, up = 1;
        ck_axis_neighbour(k, bits.data(), &level, &axis, &up);
        EXPECT_EQ(key.data()[0], 77) << level;
        EXPECT_EQ(key.data()[1], 77) << level;
        EXPECT_TRUE(key.guards_intact());
        EXPECT_TRUE(bits.guards_intact());
        std::int32_t i = 5, j = 5, kk = 5;
        ck_to_ijk(&src, &level, &i, &j, &kk);
        EXPECT_EQ(i + j + kk, 0);
    }
    const CellKey src{0x3fffffff, 0x7fffffff};
    for (std::int32_t level : no_digit_levels) {
        std::int32_t octant = 5;
        ck_digit_at(&src, &level, &octant);
        EXPECT_EQ(octant, 0);
    }
}

TEST(guards, level_fields_outside_range_leave_keys_alone)
{
    for (std::int32_t level : {-63, -1, 19, 20, 21, 63}) {
        const CellKey k = with_level_field(level);
        for (auto step : {ck_next_cell, ck_prev_cell, ck_to_parent}) {
            CellKey c = k;
            step(&c);
            EXPECT_TRUE(same(c, k)) << level;
        }
        CellKey c = k;
        const std::int32_t o = 1, n = 3;
        ck_to_child(&c, &o);
        EXPECT_TRUE(same(c, k));
        ck_next_cell_at(&c, &n);
        EXPECT_TRUE(same(c, k));
        if (level < 19 || level > 20) {
            std::int32_t octant = 9;
            ck_own_digit(&k, &octant);
            EXPECT_EQ(octant, 0);
        }
    }
}

TEST(guards, children_beyond_level_18_and_bad_octants_are_refused)
{
    const CellKey deep{1073741823, 620756991};
    for (std::int32_t o : {0, 7}) {
        CellKey c = deep;
        ck_to_child(&c, &o);
        EXPECT_TRUE(same(c, deep));
    }
    for (std::int32_t o : {-1, 8, 1 << 30}) {
        CellKey c{5, 33554432};
        ck_to_child(&c, &o);
        EXPECT_TRUE(same(c, (CellKey{5, 33554432})));
    }
    CellKey root{0, 0};
    ck_to_parent(&root);
    EXPECT_TRUE(same(root, (CellKey{0, 0})));
}

TEST(guards, bad_axes_read_no_bit_and_leave_the_key_alone)
{
    for (std::int32_t axis : {-2147483647 - 1, -3, 0, 4, 1000}) {
        for (std::int32_t level : {0, 1, 18}) {
            Framed bits(3 * level, 1);
            CellKey k{4, 4};
            const std::int32_t up = 1;
            ck_axis_neighbour(&k, bits.data(), &level, &axis, &up);
            EXPECT_TRUE(same(k, (CellKey{4, 4})));
            EXPECT_TRUE(bits.guards_intact());
        }
    }
}

TEST(guards, axis_neighbour_reads_only_the_levels_it_is_given)
{
    for (std::int32_t level = 0; level <= 18; ++level)
        for (std::int32_t axis = 1; axis <= 3; ++axis) {
            // Exactly 3 * level entries: anything beyond lies in the guard.
            Framed bits(3 * level, 1);
            CellKey k;
            const std::int32_t down = -1;
            ck_axis_neighbour(&k, bits.data(), &level, &axis, &down);
            EXPECT_TRUE(bits.guards_intact());
        }
}

TEST(guards, collate_clamps_compared_levels_and_still_answers)
{
    std::int32_t r = 99;
    const CellKey a = with_level_field(40), b = with_level_field(63);
    ck_collate(&a, &b, &r);
    EXPECT_EQ(r, -1);
    // Level 19 against level 20: digits 19 and 20 include the level bits.
    const CellKey k19 = with_level_field(19), k20 = with_level_field(20);
    ck_collate(&k19, &k20, &r);
    EXPECT_EQ(r, keymodel::collate(keytest::model(k19), keytest::model(k20)));
    for (std::int32_t n : {19, 20}) {
        ck_collate_at(&k19, &k20, &n, &r);
        EXPECT_EQ(r, keymodel::collate_at(keytest::model(k19), keytest::model(k20), n));
    }
    const CellKey c = with_level_field(-5);
    ck_collate(&c, &c, &r);
    EXPECT_EQ(r, 0);
    // Out of range, the level is taken as 1 (below) or 20 (above).
    for (std::int32_t level : bad_levels) {
        ck_collate_at(&a, &b, &level, &r);
        const int n = level < 1 ? 1 : (level > 20 ? 20 : level);
        EXPECT_EQ(r, keymodel::collate_at(keytest::model(a), keytest::model(b), n)) << level;
    }
}

TEST(guards, key_array_routines_stay_within_the_capacity)
{
    Framed a(8, 1);  // 4 slots
    const std::int32_t cap = 4, cap0 = 3;
    const CellKey k{9, 9};
    for (std::int32_t slot : {-2147483647 - 1, -1, 0, 5, 2147483647}) {
        ck_write_slot(&k, a.data(), &cap, &slot);
        CellKey r{2, 2};
        ck_read_slot(&r, a.data(), &cap, &slot);
        EXPECT_TRUE(same(r, (CellKey{2, 2})));
        const std::int32_t one = 1;
        ck_slot_to_slot(a.data(), &cap, &slot, &one);
        ck_slot_to_slot(a.data(), &cap, &one, &slot);
        ck_slot_assign(a.data(), &cap, &slot, &one);
        ck_slot_assign(a.data(), &cap, &one, &slot);
    }
    for (std::int32_t slot : {-2147483647 - 1, -1, 4, 2147483647}) {
        ck_write_slot0(&k, a.data(), &cap0, &slot);
        CellKey r{2, 2};
        ck_read_slot0(&r, a.data(), &cap0, &slot);
        EXPECT_TRUE(same(r, (CellKey{2, 2})));
    }
    const std::int32_t up = 1, down = -1, three = 3, one = 1, two = 2, big = 2147483647;
    ck_slide_block(a.data(), &cap, &three, &two, &up);  // needs 5 slots
    ck_slide_block(a.data(), &cap, &three, &two, &down);
    ck_slide_block(a.data(), &cap, &big, &big, &up);
    Framed compact(4, 1);  // 2 slots
    const std::int32_t ccap = 2;
    ck_gather_range(compact.data(), &ccap, a.data(), &cap, &one, &three);  // 3 > 2 slots
    ck_scatter_range(compact.data(), &ccap, a.data(), &cap, &three, &big);
    ck_gather_range(compact.data(), &ccap, a.data(), &cap, &big, &big);
    for (int e = 0; e < 8; ++e)
        EXPECT_EQ(a.data()[e], 1);
    for (int e = 0; e < 4; ++e)
        EXPECT_EQ(compact.data()[e], 1);
    EXPECT_TRUE(a.guards_intact());
    EXPECT_TRUE(compact.guards_intact());
}
