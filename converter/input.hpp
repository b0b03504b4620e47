// Reading the control file and the result files.
#pragma once

#include <cstdint>

#include "byte_source.hpp"
#include "piece.hpp"

namespace cellplot {

// Takes textmode from line 7 and outnum from line 10 of the control file when
// it exists; otherwise the settings keep their defaults.
void read_control(Settings& settings);
void read_control_from(ByteSource& source, Settings& settings);

// Opens, reads whole and closes the result file of piece ipiece.
void read_result(const Settings& settings, std::int32_t ipiece, Piece& piece);
// Reads only the header (the first four records) of that file, as
// read_result would; for a run that needs piece 0's header before its cells.
void read_result_header(const Settings& settings, std::int32_t ipiece, Header& header);
// Reads one result file's records from source (text when text is true).
void read_result_from(ByteSource& source, bool text, Piece& piece);

}  // namespace cellplot
