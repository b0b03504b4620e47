// Sharing pieces among processes: every item once, in order, and no rank
// loaded beyond an equal share by more than the largest item.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>

#include "run/work_share.hpp"

using cellplot::share_by_weight;

namespace {

TEST(work_share, golden_splits)
{
    struct Case {
        std::vector<double> weights;
        std::int32_t nprocs;
        std::vector<std::int64_t> first;
    };
    const Case cases[] = {
        {{1, 1, 1, 1, 1, 1, 1, 1}, 2, {0, 4, 8}},
        {{1, 1, 1, 1, 1, 1, 1, 1}, 3, {0, 3, 5, 8}},
        {{9, 1, 1, 1, 1, 1, 1, 1}, 2, {0, 1, 8}},  // one large piece alone
        {{1, 1, 1, 1, 1, 1, 1, 9}, 2, {0, 7, 8}},
        {{5, 0, 5}, 4, {0, 0, 1, 2, 3}},  // middles 2.5, 5, 7.5 of 10: ranks 1, 2, 3
        {{1, 2}, 5, {0, 1, 1, 1, 2, 2}},  // more ranks than pieces
        {{0, 0, 0, 0}, 2, {0, 2, 4}},     // no weight: by count
        {{}, 3, {0, 0, 0, 0}},
        {{7}, 1, {0, 1}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(share_by_weight(c.weights, c.nprocs), c.first);
}

TEST(work_share, random_weights_stay_within_one_piece_of_an_equal_share)
{
    std::mt19937 gen(14);
    std::uniform_real_distribution<double> size(0, 1e6);
    for (int trial = 0; trial < 200; ++trial) {
        std::vector<double> w(gen() % 50);
        for (double& x : w)
            x = size(gen) * (gen() % 4 == 0 ? 10 : 1);
        const auto nprocs = static_cast<std::int32_t>(1 + gen() % 9);
        const auto first = share_by_weight(w, nprocs);
        ASSERT_EQ(first.size(), static_cast<std::size_t>(nprocs) + 1);
        ASSERT_EQ(first.front(), 0);
        ASSERT_EQ(first.back(), static_cast<std::int64_t>(w.size()));
        ASSERT_TRUE(std::is_sorted(first.begin(), first.end()));
        const double total = std::accumulate(w.begin(), w.end(), 0.0);
        const double largest = w.empty() ? 0 : *std::max_element(w.begin(), w.end());
        for (std::int32_t r = 0; r < nprocs; ++r) {
            const double load =
                std::accumulate(w.begin() + first[r], w.begin() + first[r + 1], 0.0);
            EXPECT_LE(load, total / nprocs + largest * (1 + 1e-12));
        }
    }
}

}  // namespace
