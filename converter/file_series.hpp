// The collection of a run of several VTKHDF outputs: pview.hdf.series, the
// JSON file-series list that viewers open as one time series,
//   { "file-series-version" : "1.0",
//     "files" : [ { "name" : "pview0002.hdf", "time" : 2 }, ... ] }
// with each output's bare file name and its output number as its time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace cellplot {

inline constexpr const char* series_file_name = "pview.hdf.series";

// Writes the list of outnums (the outputs complete so far) as dir's series
// file, whole under a temporary name and then renamed over the old list, so
// that the list on disk always names complete files only.
void write_file_series(const std::string& dir, const std::vector<std::int32_t>& outnums);

}  // namespace cellplot
