// The planning of cellplot-mpi that needs no MPI: the numbers that travel
// between processes (an output's settings and piece 0's header, a result
// file's size or error number, how far a process got) and who does what
// (the (output, piece) pairs, the looking at result files, the outputs left
// complete).  cellplot-mpi moves these numbers with the msg_ wrappers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

#include "convert/piece.hpp"
#include "run/conversion.hpp"

namespace cellplot {

// One output of the run: the job, and the values of its piece 0's header
// that make its context, kept so that every process makes the same context.
struct Output {
    Job job;
    Header piece0;
    OutputContext context;
};

// What travels from process 0 for each output: its settings and piece 0's
// whole header, byte for byte as 32-bit words, so that every process makes
// the context from exactly what process 0 read.
static_assert(std::is_trivially_copyable_v<Settings> && std::is_trivially_copyable_v<Header>);
static_assert(sizeof(Settings) % 4 == 0 && sizeof(Header) % 4 == 0);
constexpr std::size_t output_words = (sizeof(Settings) + sizeof(Header)) / 4;

// Writes output_words words at w from o.job.settings and o.piece0.
void pack_output(const Output& o, std::int32_t* w);
// Sets o.job.settings and o.piece0 from the output_words words at w; the
// rest of o stays as it is.
void unpack_output(const std::int32_t* w, Output& o);

// The (output, piece) pairs of the run, in the order cellplot converts them.
struct Pair {
    std::int32_t output;  // index into the outputs
    std::int32_t ipiece;
};
std::vector<Pair> list_pairs(const std::vector<Output>& outputs);

// A result file's size travels as a double; a file that cannot be read
// travels as minus one less its error number (errno >= 0), so that every
// negative value is an error and a size of 0 is not.
double error_as_size(int error);
int error_of_size(double size);  // size < 0

// Looking at the result files: process r looks at pairs r, r + nprocs, ...
// and puts pair i at i / nprocs of its looks_per_process(n, nprocs) values;
// gathered in process order, pair i's value is at look_slot(i, ...).
std::int32_t looks_per_process(std::int64_t npairs, std::int32_t nprocs);
std::size_t look_slot(std::int64_t i, std::int32_t nprocs, std::int32_t per);

// Each pair's weight for sharing the work: its result file's size, plus
// what opening, creating and closing a file costs, so that empty pieces
// still count.
std::vector<double> pair_weights(std::vector<double> sizes);

// How far a process got with its share.
struct ShareDone {
    std::int64_t pairs = 0;  // the first this many pairs of the share are written
    bool failed = false;     // this process met a failure (and said so)
};
constexpr std::int32_t share_done_words = 2;
void pack_share_done(const ShareDone& done, double* words);  // share_done_words at words
ShareDone unpack_share_done(const double* words);

// The outputs whose every pair was written, as flags by output index:
// process r's share is pairs first[r] to first[r + 1] - 1, of which done[r]
// tells how far it got.
std::vector<bool> outputs_written(std::size_t noutputs, const std::vector<Pair>& pairs,
                                  const std::vector<std::int64_t>& first,
                                  const std::vector<ShareDone>& done);

// "pieces 2-3 of output 0, piece 0 of output 4": the pairs [begin, end).
std::string pieces_text(const std::vector<Output>& outputs, const std::vector<Pair>& pairs,
                        std::int64_t begin, std::int64_t end);

}  // namespace cellplot
