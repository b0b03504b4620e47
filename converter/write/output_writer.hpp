// The output formats as peers.  Every format fills this one small interface,
// and the code that drives a conversion (cellplot, cellplot-mpi) asks a
// format only how its pieces travel, never which format it is.  An output is
// written as
//   start(context)                 once, from the context made from piece 0
//   write_piece(k, piece, mesh)    once per piece, the piece prepared
//   pieces_done(k)                 pieces 0..k are written, in piece order
//   finish()                       after pieces_done(npieces - 1)
// and abandon() in place of the rest after a failure.  Formats are chosen in
// one place, make_output_writer; each format is one file.
#pragma once

#include <cstdint>
#include <memory>

#include "convert/geometry.hpp"
#include "convert/mesh.hpp"
#include "convert/piece.hpp"
#include "run/conversion.hpp"

namespace cellplot {

class OutputWriter {
public:
    virtual ~OutputWriter() = default;

    // How the pieces of an output reach the format.
    //   separate_files: each piece is a file of its own; write_piece may be
    //     called for several pieces at once from several threads, in any
    //     order, and needs no start() in the same process (cellplot-mpi
    //     writes pieces on every process and the rest on one).
    //   one_file: the pieces are appended to one file; write_piece is called
    //     once at a time, in piece order, between start and finish (from
    //     whichever job's thread holds the piece, each call ordered after the
    //     previous one and its pieces_done).
    enum class Pieces { separate_files, one_file };
    virtual Pieces pieces() const = 0;

    // Creates the output's own file (a master, or the one file) from the
    // context.  Refuses an existing file unless the job allows overwriting.
    virtual void start(const OutputContext& context) = 0;
    // Writes piece ipiece, already read and prepared with the context.
    virtual void write_piece(const OutputContext& context, std::int32_t ipiece, const Piece& piece,
                             const Mesh& mesh) = 0;
    // Pieces 0..last are written; called in increasing order of last.
    virtual void pieces_done(std::int32_t last) = 0;
    // Completes the output: every file of it is under its final name.
    virtual void finish() = 0;
    // After a failure: closes what is open and removes what a failure must
    // not leave behind.  Gives the name of the output file that was removed
    // unwritten (valid while the writer lives), or nothing.  Safe at any
    // step, also twice.
    virtual const char* abandon() noexcept = 0;
};

// The one place formats are chosen: the writer of job.style.format for the
// job's output, counting the bytes it writes into progress when given (which
// must outlive it).  Creates no file.
std::unique_ptr<OutputWriter> make_output_writer(const Job& job, ProgressLine* progress = nullptr);

// Why this build cannot write style (a format that was not built, an option
// the format cannot take), or nothing when it can.
const char* style_refusal(const OutputStyle& style);

// The formats, one file each.
std::unique_ptr<OutputWriter> make_xml_writer(const Job& job, ProgressLine* progress);
std::unique_ptr<OutputWriter> make_vtkhdf_writer(const Job& job, ProgressLine* progress);

}  // namespace cellplot
