// The result files the sample solver writes at one output, one per process,
// and the control file that tells the converter how to read them.
#pragma once

#include "fields.hpp"

#include <cstdint>
#include <string>

namespace solver {

// Header records of one result file.
struct ResultHeader {
    std::int32_t piece = 0;    // this process; record 1, first value
    std::int32_t npieces = 1;  // number of processes
    double extent[3] = {1, 1, 1};
    double rootsize = 1;  // edge of the level-0 cell
    std::int32_t reflevel = 0;
    std::int32_t nlevels = 0;  // deepest level that may occur
    double time = 0;           // record 4 carries the time and three zeros
};

// "reso" + piece (6 digits) + output (4 digits) + ".res".
std::string result_name(std::int32_t piece, std::int32_t outnum);

// Writes one result file, creating or replacing it: the four header
// records, then levels, centres, cell sizes, density, energy, temperature,
// pressure, the three momentum components and one record per species.
// Binary files frame every record with its byte count before and after
// (Fortran sequential unformatted, little-endian); text files start every
// record on a new line.  Returns 0 or the errno of the failure.
int write_result(const std::string& path, bool binary, const ResultHeader& header,
                 const CellFields& fields);

// Writes the control file "contview.dat": line 7 holds 0 for binary result
// files and 1 for text, line 10 the output number; the other lines describe
// the run.  Returns 0 or the errno of the failure.
int write_control(bool binary, std::int32_t outnum, const std::string& description);

}  // namespace solver
