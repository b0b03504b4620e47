// ck_sort_keys against std::stable_sort with ck_collate as the comparison,
// on key arrays of every level mix, with duplicates and ties on the digits,
// through a work array of exactly the size the header states (aligned to
// 4 or to 8 bytes) with guard words around it and around order.
#include "cellkeys.h"
#include "key_test_util.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace {

using keytest::key_of;

constexpr std::int32_t level_unit = 33554432;
constexpr int pad = 4;
constexpr std::int32_t guard = 0x5eadbeef;

std::int32_t collate(const CellKey& a, const CellKey& b)
{
    std::int32_t r = 0;
    ck_collate(&a, &b, &r);
    return r;
}

// Slots 1..n in the order a stable sort by ck_collate leaves them.
std::vector<std::int32_t> reference_order(const std::vector<CellKey>& keys)
{
    std::vector<std::int32_t> order(keys.size());
    std::iota(order.begin(), order.end(), 1);
    std::stable_sort(order.begin(), order.end(), [&](std::int32_t a, std::int32_t b) {
        return collate(keys[a - 1], keys[b - 1]) < 0;
    });
    return order;
}

// ck_sort_keys' order; work starts one word off an 8-byte boundary when
// odd_work is set.  Fails the test if anything outside order and work was
// written.
std::vector<std::int32_t> library_order(const std::vector<CellKey>& keys, bool odd_work)
{
    const auto n = static_cast<std::int32_t>(keys.size());
    const std::size_t work_words = 5 * keys.size() + ck_sort_count_words;
    std::vector<std::int32_t> order(keys.size() + 2 * pad, guard);
    std::vector<std::int32_t> work(work_words + 2 * pad + 1, guard);
    std::int32_t* at = work.data() + pad;
    if ((reinterpret_cast<std::uintptr_t>(at) % 8 != 0) != odd_work)
        ++at;
    ck_sort_keys(&n, reinterpret_cast<const std::int32_t*>(keys.data()), order.data() + pad, at);
    const auto outside = [&](const std::vector<std::int32_t>& v, const std::int32_t* first,
                             std::size_t size) {
        for (const std::int32_t* p = v.data(); p != v.data() + v.size(); ++p)
            if ((p < first || p >= first + size) && *p != guard)
                return true;
        return false;
    };
    EXPECT_FALSE(outside(order, order.data() + pad, keys.size()));
    EXPECT_FALSE(outside(work, at, work_words));
    return std::vector<std::int32_t>(order.begin() + pad, order.end() - pad);
}

CellKey with_words(std::int64_t w1, std::int64_t w2)
{
    return CellKey{static_cast<std::int32_t>(w1), static_cast<std::int32_t>(w2)};
}

// count keys drawn from a pool of count / 4, so that most come several times.
std::vector<CellKey> with_duplicates(std::vector<CellKey> pool, std::size_t count,
                                     std::mt19937& rng)
{
    std::vector<CellKey> keys;
    for (std::size_t k = 0; k < count; ++k)
        keys.push_back(pool[rng() % pool.size()]);
    return keys;
}

// Every level 0..18 of a few random paths: long runs of keys whose stored
// digits agree and only the level decides.
std::vector<CellKey> along_paths(int paths, std::mt19937& rng)
{
    std::vector<CellKey> keys;
    for (int p = 0; p < paths; ++p) {
        std::vector<std::int32_t> digits;
        for (int level = 0; level <= 18; ++level) {
            keys.push_back(key_of(digits));
            digits.push_back(static_cast<std::int32_t>(rng() % 3 == 0 ? 0 : rng() % 8));
        }
    }
    std::shuffle(keys.begin(), keys.end(), rng);
    return keys;
}

}  // namespace

TEST(sort_keys, gives_the_stable_order_of_ck_collate_on_every_level_mix)
{
    std::mt19937 rng(20261209);
    struct Case {
        std::string name;
        std::vector<CellKey> keys;
    };
    std::vector<Case> cases;
    cases.push_back({"one key", {key_of({3, 1, 4})}});
    cases.push_back({"two keys, out of order", {key_of({3, 1}), key_of({3})}});
    cases.push_back({"all equal", std::vector<CellKey>(1000, key_of({5, 0, 0, 7}))});
    cases.push_back({"roots only", std::vector<CellKey>(50, CellKey{0, 0})});
    cases.push_back(
        {"levels 0 and 18", with_duplicates(keytest::sample_keys(18, 18, 500, 7), 3000, rng)});
    for (CellKey& k : cases.back().keys)
        if (rng() % 4 == 0)
            k = CellKey{0, 0};
    cases.push_back({"levels 0 to 18", keytest::sample_keys(0, 18, 20000, 8)});
    cases.push_back({"levels 0 to 18, duplicates",
                     with_duplicates(keytest::sample_keys(0, 18, 2000, 9), 8000, rng)});
    cases.push_back({"levels 10 to 18", keytest::sample_keys(10, 18, 30000, 10)});
    cases.push_back({"shallow levels only", keytest::sample_keys(0, 3, 5000, 11)});
    {
        // All inside one level-12 cell, at levels 12 to 18: the keys differ
        // in their deepest digits and their levels only.
        std::vector<CellKey> clustered;
        for (int k = 0; k < 20000; ++k) {
            std::vector<std::int32_t> digits{1, 7, 0, 3, 3, 6, 2, 0, 5, 4, 7, 1};
            while (digits.size() < 12 + rng() % 7)
                digits.push_back(static_cast<std::int32_t>(rng() % 8));
            clustered.push_back(key_of(digits));
        }
        cases.push_back({"one level-12 cell, levels 12 to 18", clustered});
    }
    cases.push_back({"ancestors and descendants", along_paths(300, rng)});
    {
        // Level fields 19..63 over any digits and bit 24: ck_collate reads
        // 20 digits, then the level.
        std::vector<CellKey> deep;
        for (int k = 0; k < 4000; ++k)
            deep.push_back(with_words(rng() % 8 == 0 ? 0 : rng() & 0x3fffffff,
                                      std::int64_t(19 + rng() % 45) * level_unit +
                                          (rng() % 4 == 0 ? 0 : rng() & 0x1ffffff)));
        cases.push_back({"level fields past 18", with_duplicates(deep, 8000, rng)});
    }
    {
        // Negative level fields compare their level-1 digit, then the level.
        std::vector<CellKey> mixed = keytest::sample_keys(0, 18, 3000, 12);
        for (int k = 0; k < 1000; ++k)
            mixed.push_back(with_words(rng() % 8, -std::int64_t(1 + rng() % 64) * level_unit));
        std::shuffle(mixed.begin(), mixed.end(), rng);
        cases.push_back({"negative level fields among levels 0 to 18", mixed});
    }
    for (std::size_t c = 0; c < cases.size(); ++c) {
        SCOPED_TRACE(cases[c].name);
        const std::vector<std::int32_t> order = library_order(cases[c].keys, c % 2 == 1);
        std::vector<std::int32_t> slots(cases[c].keys.size());
        std::iota(slots.begin(), slots.end(), 1);
        EXPECT_TRUE(std::is_permutation(order.begin(), order.end(), slots.begin()));
        EXPECT_EQ(order, reference_order(cases[c].keys));
    }
}

TEST(sort_keys, places_level_fields_past_18_after_their_digits_at_levels_up_to_18)
{
    // Against keys of levels up to 18 with the same 18 digits ck_collate
    // reads the level fields as digits 19 and 20, and its answers go round
    // in circles: here a before b, b before c and c before a.
    const CellKey a = with_words(0, 4 * level_unit), b = with_words(0, 1 * level_unit),
                  c = with_words(0, 20 * level_unit);
    ASSERT_EQ(collate(a, b), 1);
    ASSERT_EQ(collate(b, c), 1);
    ASSERT_EQ(collate(c, a), 1);
    // So deeper level fields come after the shallower keys of their digits;
    // everywhere else the order is ck_collate's.
    std::mt19937 rng(5);
    std::vector<CellKey> keys = along_paths(100, rng);
    const std::size_t shallow = keys.size();
    for (std::size_t k = 0; k < shallow; k += 3)
        keys.push_back(with_words(keys[k].word1, std::int64_t(19 + rng() % 45) * level_unit +
                                                     (keys[k].word2 & 0xffffff)));
    std::shuffle(keys.begin(), keys.end(), rng);
    const std::vector<std::int32_t> order = library_order(keys, false);
    const auto past_18 = [](const CellKey& k) { return k.word2 >= 19 * level_unit; };
    const auto same_digits = [](const CellKey& x, const CellKey& y) {
        return x.word1 == y.word1 && (x.word2 & 0xffffff) == (y.word2 & 0xffffff);
    };
    for (std::size_t k = 1; k < order.size(); ++k) {
        const CellKey& x = keys[order[k - 1] - 1];
        const CellKey& y = keys[order[k] - 1];
        if (past_18(x) != past_18(y) && same_digits(x, y)) {
            EXPECT_TRUE(past_18(y)) << k;
        } else {
            EXPECT_LE(collate(x, y), 0) << k;
        }
        if (collate(x, y) == 0 && past_18(x) == past_18(y)) {
            EXPECT_LT(order[k - 1], order[k]) << "stable at " << k;
        }
    }
}

TEST(sort_keys, writes_nothing_for_no_keys)
{
    for (std::int32_t n : {0, -1, -2147483647 - 1}) {
        std::int32_t order[3] = {7, 7, 7}, work[3] = {7, 7, 7};
        ck_sort_keys(&n, nullptr, order, work);
        EXPECT_EQ(order[0] + order[1] + order[2] + work[0] + work[1] + work[2], 42) << n;
    }
}
