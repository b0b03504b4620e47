// One VTKHDF file per output written by all processes of an MPI job
// together, through parallel HDF5 and its MPI-IO file driver: each process
// converts its own run of pieces and writes their rows at their places in
// the one file, with collective writes.  Where the rows of a piece start is
// only known once the pieces before it are converted (shared points are
// counted by the merge), so a first pass converts every piece only to count
// its points and cells, the counts are gathered, and a second pass converts
// each piece again and writes it; no process holds more than one piece.
#pragma once

#include <cstdint>
#include <vector>

#include "run/conversion.hpp"
#include "run/progress.hpp"

namespace cellplot {

// Writes job's output (context made from its piece 0) as one VTKHDF file;
// this process converts pieces first[rank] to first[rank + 1] - 1, first
// being the same on every process (nprocs + 1 entries).  Gives 0 when the
// file is complete under its final name, or 1 after a failure that one
// process has reported as "program: FILE: CAUSE" (a piece that cannot be
// read or converted is found before the file is created, and every process
// returns).  A failure while the file is written removes it, is reported
// by the process that met it, and ends the job at once, so that no process
// waits in a collective call.  Collective.
int write_vtkhdf_together(const Job& job, const OutputContext& context,
                          const std::vector<std::int64_t>& first, std::int32_t rank,
                          Workspace& work, ProgressLine& progress, const char* program);

}  // namespace cellplot
