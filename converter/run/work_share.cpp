#include "run/work_share.hpp"

#include <algorithm>

namespace cellplot {

std::vector<std::int64_t> share_by_weight(const std::vector<double>& weights, std::int32_t nprocs)
{
    const auto n = static_cast<std::int64_t>(weights.size());
    double total = 0;
    for (double w : weights)
        total += w;
    const bool by_count = !(total > 0);
    if (by_count)
        total = static_cast<double>(n);

    std::vector<std::int64_t> first(static_cast<std::size_t>(nprocs) + 1, n);
    first[0] = 0;
    double before = 0;  // weight of the items ahead of item i
    std::int32_t rank = 0;
    for (std::int64_t i = 0; i < n; ++i) {
        const double w = by_count ? 1.0 : weights[static_cast<std::size_t>(i)];
        const double middle = (before + 0.5 * w) / total * nprocs;
        const auto owner =
            static_cast<std::int32_t>(std::min<double>(middle, nprocs - 1));  // monotone in i
        while (rank < owner)
            first[static_cast<std::size_t>(++rank)] = i;
        before += w;
    }
    return first;
}

}  // namespace cellplot
