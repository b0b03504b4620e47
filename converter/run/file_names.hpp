// The names of the files a run reads and writes.  Numbers too wide for their
// digits are written as asterisks, as a Fortran I6.6 or I4.4 field writes them.
#pragma once

#include <cstdint>
#include <string>

namespace cellplot {

inline constexpr const char* control_file_name = "contview.dat";

std::string result_file_name(std::int32_t ipiece, std::int32_t outnum);  // reso<6><4>.res
std::string master_file_name(std::int32_t outnum);                       // pview<4>.pvtu
std::string piece_file_name(std::int32_t ipiece, std::int32_t outnum);   // view<6><4>.vtu
std::string hdf_file_name(std::int32_t outnum);                          // pview<4>.hdf

// name inside dir, spelt as the user gave dir: the bare name when dir is ".".
std::string in_dir(const std::string& dir, const std::string& name);

// value as exactly width digits with leading zeros, or width asterisks.
std::string zero_padded(std::int32_t value, int width);

}  // namespace cellplot
