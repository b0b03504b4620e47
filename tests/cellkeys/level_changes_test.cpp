#include "cellkeys.h"
#include "key_test_util.hpp"

#include <gtest/gtest.h>

#include <vector>

using keytest::same;

TEST(level_changes, known_children_parents_and_truncations)
{
    CellKey k{0, 0};
    const std::int32_t five = 5, seven = 7, three = 3;
    ck_to_child(&k, &five);
    EXPECT_TRUE(same(k, CellKey{5, 33554432}));
    CellKey k3{209, 100663296};
    ck_to_child(&k3, &seven);
    EXPECT_TRUE(same(k3, CellKey{3793, 134217728}));
    CellKey k10 = keytest::key_of({1, 2, 3, 4, 5, 6, 7, 0, 1, 2});
    const std::int32_t w1 = k10.word1;
    ck_to_child(&k10, &three);
    EXPECT_TRUE(same(k10, CellKey{w1, 369098755}));
    ck_to_parent(&k10);
    EXPECT_TRUE(same(k10, CellKey{w1, 335544320}));
    CellKey t{209, 100663296};
    ck_truncate_to(&t, &five);
    EXPECT_TRUE(same(t, CellKey{209, 167772160}));
    const std::int32_t zero = 0;
    ck_truncate_to(&t, &zero);
    EXPECT_TRUE(same(t, CellKey{0, 0}));
}

TEST(level_changes, truncating_to_the_own_level_clears_stale_digits)
{
    CellKey k{245, 100663296};
    const std::int32_t one = 1, three = 3;
    ck_set_level(&k, &one);
    ck_truncate_to(&k, &one);
    EXPECT_TRUE(same(k, CellKey{5, 33554432}));
    CellKey stale{245 | (7 << 27), 100663296 | (1 << 24) | 0777};
    ck_truncate_to(&stale, &three);
    EXPECT_TRUE(same(stale, CellKey{245, 100663296}));
}

TEST(level_changes, parent_undoes_child_for_every_key_and_octant)
{
    std::vector<CellKey> keys = keytest::all_keys(4);
    for (CellKey k : keytest::sample_keys(5, 17, 5000))
        keys.push_back(k);
    for (CellKey k : keys)
        for (std::int32_t o = 0; o < 8; ++o) {
            CellKey c = k;
            ck_to_child(&c, &o);
            ASSERT_TRUE(same(c, keytest::lib(keymodel::to_child(keytest::model(k), o))));
            CellKey p = c;
            ck_to_parent(&p);
            ASSERT_TRUE(same(p, k));
        }
}

TEST(level_changes, agree_with_the_model_at_every_level)
{
    std::vector<CellKey> keys = keytest::all_keys(4);
    for (CellKey k : keytest::sample_keys(5, 18, 5000))
        keys.push_back(k);
    for (CellKey k : keys) {
        const keymodel::Key m = keytest::model(k);
        if (k.word2 >= 33554432) {
            CellKey p = k;
            ck_to_parent(&p);
            ASSERT_TRUE(same(p, keytest::lib(keymodel::to_parent(m))));
        }
        for (std::int32_t n = 0; n <= 18; ++n) {
            CellKey t = k, into{-1, -1};
            ck_truncate_to(&t, &n);
            ck_truncate_into(&k, &into, &n);
            const CellKey want = keytest::lib(keymodel::truncate(m, n));
            ASSERT_TRUE(same(t, want));
            ASSERT_TRUE(same(into, want));
            CellKey self = k;
            ck_truncate_into(&self, &self, &n);
            ASSERT_TRUE(same(self, want));
        }
    }
}
