// The steps of converting one output, shared by cellplot (one output after
// another) and its MPI twin (the pieces of an output shared over processes).
// A run reads piece 0 and makes the output's context from it, starts the
// output's writer, and then converts the pieces, several at once with several
// jobs: each is read, prepared and handed to the writer, which learns in
// piece order when pieces 0..k are complete; the writer's finish ends the
// output.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "convert/geometry.hpp"
#include "convert/mesh.hpp"
#include "convert/piece.hpp"
#include "run/out_file.hpp"
#include "run/progress.hpp"
#include "write/array_names.hpp"
#include "write/output_style.hpp"

namespace cellplot {

class OutputWriter;

// One output to convert, fixed before its piece 0 is read.
struct Job {
    std::string dir = ".";  // where result files are read and output files written
    Settings settings;      // encoding and output number
    OutputStyle style;
    bool overwrite = false;  // replace existing output files instead of refusing them
    int jobs = 1;            // pieces converted at once, at most
};

// The per-cell storage of one job, set aside once and overwritten by every
// piece the job converts.
struct Workspace {
    std::unique_ptr<Piece> piece = std::make_unique<Piece>();
    std::unique_ptr<Mesh> mesh = std::make_unique<Mesh>();
    std::unique_ptr<MergeTable> merge = std::make_unique<MergeTable>();
};

// The workspaces of a run's jobs, workspace k for job k; one is added when a
// job first needs it and kept for every later output.
using Workspaces = std::vector<Workspace>;

// What piece 0 fixes for every piece of an output.
struct OutputContext {
    std::int32_t npieces = 1;  // pieces 0..npieces-1 are converted; at least piece 0
    SizeTable sizes;           // cell size per level, from piece 0
    SpeciesNames names;        // species name lines, from piece 0
};

// The paths of the files of one output (as messages name them).
std::string result_path(const Job& job, std::int32_t ipiece);
std::string master_path(const Job& job);
std::string piece_path(const Job& job, std::int32_t ipiece);

// Opens, reads whole and closes the result file of ipiece into piece.
void read_piece(const Job& job, std::int32_t ipiece, Piece& piece);

// The context made from the header of piece 0; file names piece 0's result
// file in messages.
OutputContext make_context(const Header& piece0, const std::string& file);

// The in-memory work on the piece that work holds, once read: refuses more
// species than piece 0 named, builds the cell boxes and the mesh that style
// asks for, and converts the fields.
void prepare_piece(const OutputContext& context, const OutputStyle& style, Workspace& work,
                   const std::string& file);

// Refuses an output whose piece-0 result file is missing, naming the outputs
// whose piece-0 files are in the job's directory (when there are any) and
// the way to choose one: --outputs when listed (the output came from that
// list), else the control file or --output.
void require_piece0(const Job& job, bool listed = false);

// Reads and converts every piece of the job's output through writer, which
// was made for the job, with up to job.jobs jobs; progress, when given,
// follows the pieces.  The first failure in piece order is the one thrown,
// after the writer has abandoned the output.
void convert_output(const Job& job, Workspaces& work, OutputWriter& writer,
                    ProgressLine* progress = nullptr);

}  // namespace cellplot
