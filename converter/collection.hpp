// The collection file pview.pvd that lists the master files of a run of
// several outputs, each with its output number as the time step, so that a
// viewer steps through the run (VTK's "Collection" XML format).
#pragma once

#include <cstdint>

#include "out_file.hpp"

namespace cellplot {

inline constexpr const char* collection_file_name = "pview.pvd";

void write_collection_head(OutFile& pvd);
void write_collection_entry(OutFile& pvd, std::int32_t outnum);
void write_collection_tail(OutFile& pvd);

}  // namespace cellplot
