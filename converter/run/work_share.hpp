// Sharing the pieces of a run among processes by their cost.
#pragma once

#include <cstdint>
#include <vector>

namespace cellplot {

// Splits items 0..n-1 (in run order, weights[i] >= 0 their cost) into nprocs
// consecutive runs of about equal total weight: rank r takes items first[r]
// to first[r + 1] - 1, first[0] = 0 and first[nprocs] = n.  Item i goes to
// the rank whose share of the total holds the middle of its weight, so no
// rank's total exceeds an equal share by more than the largest item.  With
// no weight at all the items are shared by count.  Ranks beyond the items
// take none.  nprocs >= 1.
std::vector<std::int64_t> share_by_weight(const std::vector<double>& weights, std::int32_t nprocs);

}  // namespace cellplot
