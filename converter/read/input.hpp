// Reading the control file and the result files.
#pragma once

#include <cstdint>
#include <string>

#include "convert/piece.hpp"
#include "read/byte_source.hpp"

namespace cellplot {

// Takes textmode from line 7 and outnum from line 10 of the control file in
// dir when it exists; otherwise the settings keep their defaults.
void read_control(const std::string& dir, Settings& settings);
void read_control_from(ByteSource& source, Settings& settings);

// Opens, reads whole and closes the result file at path (text when text is
// true); messages name the file by path.
void read_result(const std::string& path, bool text, Piece& piece);
// Reads only the header (the first four records) of that file, as
// read_result would; for a run that needs piece 0's header before its cells.
void read_result_header(const std::string& path, bool text, Header& header);
// Reads one result file's records from source (text when text is true).
void read_result_from(ByteSource& source, bool text, Piece& piece);

}  // namespace cellplot
