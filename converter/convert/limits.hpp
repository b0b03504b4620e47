// Fixed capacities of the converter.  Storage for all of them is set aside
// once for the whole run.
#pragma once

#include <cstdint>

namespace cellplot {

inline constexpr std::int32_t max_cells = 1'000'000;  // cells per result file
inline constexpr std::int32_t max_species = 18;       // species per result file
inline constexpr std::int32_t max_level = 63;         // deepest level in the cell-size table
inline constexpr std::int32_t max_outnum = 9'999;     // four digits in file names
inline constexpr int max_jobs = 1'024;                // pieces converted at once (--jobs)

}  // namespace cellplot
