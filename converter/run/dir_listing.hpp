// What a directory holds, as far as a run cares: the outputs whose piece-0
// result files are there, and output files that a run would write over.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace cellplot {

// The names of the entries of dir, sorted; refuses a directory it cannot read.
std::vector<std::string> list_dir(const std::string& dir);

// The number written in name at [at, at + width) where name is model with
// other decimal digits there; nothing when name differs from model anywhere
// else or holds anything but digits there.
std::optional<std::int32_t> number_in(const std::string& name, const std::string& model,
                                      std::size_t at, std::size_t width);

// The output numbers whose piece-0 result file (reso000000NNNN.res) is among
// names, increasing.
std::vector<std::int32_t> outputs_present(const std::vector<std::string>& names);

// The first of names that output outnum would write: its master file or any
// piece file of it.
std::optional<std::string> output_file_present(const std::vector<std::string>& names,
                                               std::int32_t outnum);

// "0-3, 7, 12, 13": increasing numbers, runs of three or more as ranges.
std::string number_list_text(const std::vector<std::int32_t>& numbers);

}  // namespace cellplot
