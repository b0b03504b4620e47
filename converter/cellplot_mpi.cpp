// cellplot-mpi: the conversion of cellplot shared among the processes of an
// MPI job.  Every process takes a run of (output, piece) pairs of about
// equal size in bytes and writes those piece files; rank 0 plans the run and
// writes the master files.  Each file is made by the same functions as in
// cellplot, so it holds the same bytes whatever the number of processes.
//
// The steps: every rank parses the same command line; rank 0 reads the
// control file and the header of piece 0 of each output and spreads what the
// pieces need; the ranks look at their share of the files (sizes, outputs
// already there) and gather the results, so that a missing piece or an
// existing output stops the job before any file is written; each rank
// converts its pairs; after a rendezvous rank 0 writes the master files.
#include <mpi.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "byte_source.hpp"
#include "cellkeys.h"
#include "failure.hpp"
#include "file_names.hpp"
#include "geometry.hpp"
#include "input.hpp"
#include "options.hpp"
#include "out_file.hpp"
#include "piece.hpp"
#include "vtk_writer.hpp"
#include "work_share.hpp"

namespace cellplot {
namespace {

constexpr const char* program = "cellplot-mpi";

// Opening, creating and closing a file costs about as much as converting
// this many bytes of it; added to every piece's weight so that empty pieces
// still count.
constexpr double file_cost_bytes = 64 * 1024;

// What every rank needs to know of one output: its settings and the values
// of piece 0's header that serve every piece.
struct OutputPlan {
    Settings settings;
    std::int32_t npieces = 0;  // pieces 0..npieces-1 are converted (at least piece 0)
    std::int32_t nspecies = 0;
    std::int32_t nlevels = 0;
    double rootsize = 0;
};

// The fields of an OutputPlan as integers for msg_spread_ints (the real as
// its two 32-bit halves, so it travels bit for bit).
constexpr int plan_ints = 7;

void pack(const OutputPlan& p, std::int32_t* w)
{
    w[0] = p.settings.textmode;
    w[1] = p.settings.outnum;
    w[2] = p.npieces;
    w[3] = p.nspecies;
    w[4] = p.nlevels;
    std::memcpy(w + 5, &p.rootsize, sizeof p.rootsize);
}

OutputPlan unpack(const std::int32_t* w)
{
    OutputPlan p;
    p.settings.textmode = w[0];
    p.settings.outnum = w[1];
    p.npieces = w[2];
    p.nspecies = w[3];
    p.nlevels = w[4];
    std::memcpy(&p.rootsize, w + 5, sizeof p.rootsize);
    return p;
}

void report(const Failure& f)
{
    std::fprintf(stderr, "%s: %s: %s\n", program, f.file.c_str(), f.cause.c_str());
}

// The same cause as OutFile gives when it refuses to create a file.
[[noreturn]] void refuse_existing(const std::string& name)
{
    fail(name, "already exists; remove it first to convert this output again");
}

// A later piece may not carry species that piece 0 gave no names to.
void check_species(const Piece& piece, const SpeciesNames& names, const std::string& file)
{
    if (piece.header.nspecies > names.count)
        fail(file, "holds " + std::to_string(piece.header.nspecies) + " species, more than the " +
                       std::to_string(names.count) + " of piece 0");
}

// Rank 0: the outputs to convert and what their piece 0 says.  Refuses, as
// cellplot would, a missing or bad piece 0, a size table that does not fit
// and an existing master file.
std::vector<OutputPlan> plan_outputs(const Options& options)
{
    Settings settings;
    read_control(settings);
    if (options.output)
        settings.outnum = *options.output;
    if (options.textmode)
        settings.textmode = *options.textmode;

    std::vector<OutputPlan> plans;
    OutputPlan p;
    p.settings = settings;
    Header h;
    const std::string file = result_file_name(0, settings.outnum);
    read_result_header(settings, 0, h);
    SizeTable sizes;
    build_size_table(sizes, h.rootsize, h.nlevels, file);
    p.npieces = h.npieces > 1 ? h.npieces : 1;
    p.nspecies = h.nspecies;
    p.nlevels = h.nlevels;
    p.rootsize = h.rootsize;
    if (!options.overwrite && file_exists(master_file_name(settings.outnum)))
        refuse_existing(master_file_name(settings.outnum));
    plans.push_back(p);
    return plans;
}

// Rank 0 makes the plan and spreads it, or the news that there is none;
// every rank returns the same plans, or nothing after rank 0 failed.
bool spread_plans(const Options& options, std::int32_t rank, std::vector<OutputPlan>& plans)
{
    std::int32_t count = -1;  // outputs, or -1 when planning failed
    if (rank == 0) {
        try {
            plans = plan_outputs(options);
            count = static_cast<std::int32_t>(plans.size());
        } catch (const Failure& f) {
            report(f);
        }
    }
    const std::int32_t one = 1, root = 0;
    msg_spread_ints(&count, nullptr, &one, &root);
    if (count < 0)
        return false;
    std::vector<std::int32_t> words(static_cast<std::size_t>(count) * plan_ints);
    if (rank == 0)
        for (std::int32_t k = 0; k < count; ++k)
            pack(plans[static_cast<std::size_t>(k)], &words[static_cast<std::size_t>(k) * plan_ints]);
    const auto nwords = static_cast<std::int32_t>(words.size());
    msg_spread_ints(words.data(), nullptr, &nwords, &root);
    plans.clear();
    for (std::int32_t k = 0; k < count; ++k)
        plans.push_back(unpack(&words[static_cast<std::size_t>(k) * plan_ints]));
    return true;
}

// The (output, piece) pairs of the run, in the order cellplot converts them.
struct Pair {
    std::int32_t output;  // index into the plans
    std::int32_t ipiece;
};

std::vector<Pair> list_pairs(const std::vector<OutputPlan>& plans)
{
    std::vector<Pair> pairs;
    for (std::size_t k = 0; k < plans.size(); ++k)
        for (std::int32_t p = 0; p < plans[k].npieces; ++p)
            pairs.push_back({static_cast<std::int32_t>(k), p});
    return pairs;
}

// What a look at a pair's files found, as one double: the result file's
// size in bytes, or one of these.
constexpr double piece_file_exists = -1;
double unreadable(int error_number) { return -1.0 - error_number; }

double look_at(const OutputPlan& plan, const Pair& pair, bool overwrite)
{
    struct stat st;
    if (::stat(result_file_name(pair.ipiece, plan.settings.outnum).c_str(), &st) != 0)
        return unreadable(errno);
    if (S_ISDIR(st.st_mode))
        return unreadable(EISDIR);
    if (!overwrite && file_exists(piece_file_name(pair.ipiece, plan.settings.outnum)))
        return piece_file_exists;
    return static_cast<double>(st.st_size);
}

// Every rank looks at every nprocs-th pair, and all ranks gather what was
// found, so that the file system's metadata is asked in parallel.  Returns
// the result file sizes of all pairs on every rank; a pair whose result file
// cannot be read or whose piece file exists is the first failure of the run,
// which rank 0 reports.  Collective.
bool look_at_files(const std::vector<OutputPlan>& plans, const std::vector<Pair>& pairs,
                   bool overwrite, std::int32_t nprocs, std::int32_t rank,
                   std::vector<double>& sizes)
{
    const auto n = static_cast<std::int64_t>(pairs.size());
    const std::int32_t per = static_cast<std::int32_t>((n + nprocs - 1) / nprocs);
    std::vector<double> mine(static_cast<std::size_t>(per), 0.0);
    for (std::int64_t i = rank, s = 0; i < n; i += nprocs, ++s) {
        const Pair& pair = pairs[static_cast<std::size_t>(i)];
        mine[static_cast<std::size_t>(s)] = look_at(plans[static_cast<std::size_t>(pair.output)], pair, overwrite);
    }
    std::vector<double> all(static_cast<std::size_t>(per) * static_cast<std::size_t>(nprocs));
    msg_collect_doubles(mine.data(), &per, all.data());

    sizes.assign(static_cast<std::size_t>(n), 0.0);
    for (std::int64_t i = 0; i < n; ++i) {
        const double v = all[static_cast<std::size_t>((i % nprocs) * per + i / nprocs)];
        sizes[static_cast<std::size_t>(i)] = v;
        if (v >= 0)
            continue;
        if (rank == 0) {
            const Pair& pair = pairs[static_cast<std::size_t>(i)];
            const std::int32_t outnum = plans[static_cast<std::size_t>(pair.output)].settings.outnum;
            const std::string input = result_file_name(pair.ipiece, outnum);
            try {
                if (v == piece_file_exists)
                    refuse_existing(piece_file_name(pair.ipiece, outnum));
                FileSource source(input);  // fails with the cause cellplot gives
                fail(input, "cannot open: " + system_error_text(static_cast<int>(-1.0 - v)));
            } catch (const Failure& f) {
                report(f);
            }
        }
        return false;
    }
    return true;
}

// The state a rank keeps while it converts pieces of one output.
struct OutputState {
    std::int32_t output = -1;
    SizeTable sizes;
    SpeciesNames names;
};

void convert_pair(const OutputPlan& plan, const Pair& pair, OutputState& state, Piece& piece,
                  Cells& cells)
{
    if (state.output != pair.output) {
        state.output = pair.output;
        build_size_table(state.sizes, plan.rootsize, plan.nlevels,
                         result_file_name(0, plan.settings.outnum));
        state.names = make_species_names(plan.nspecies);
    }
    const std::string file = result_file_name(pair.ipiece, plan.settings.outnum);
    read_result(plan.settings, pair.ipiece, piece);
    check_species(piece, state.names, file);
    if (piece.header.ncells > 0) {
        build_cells(piece, state.sizes, cells, file);
        convert_fields(piece);
    }
    write_piece(pair.ipiece, plan.settings.outnum, piece, cells, state.names);
}

// Rank 0, once every piece is written: the master file of each output.
void write_masters(const std::vector<OutputPlan>& plans)
{
    for (const OutputPlan& plan : plans) {
        OutFile master(master_file_name(plan.settings.outnum));
        write_master_head(master, make_species_names(plan.nspecies));
        for (std::int32_t p = 0; p < plan.npieces; ++p)
            write_master_piece(master, p, plan.settings.outnum);
        write_master_tail(master);
    }
}

int run(const Options& options, std::int32_t nprocs, std::int32_t rank)
{
    if (::chdir(options.dir.c_str()) != 0) {
        report({options.dir, "cannot enter the directory: " + system_error_text(errno)});
        const std::int32_t code = 1;
        msg_fail_all(&code);
    }
    std::vector<OutputPlan> plans;
    if (!spread_plans(options, rank, plans))
        return 1;
    const std::vector<Pair> pairs = list_pairs(plans);
    std::vector<double> weights;
    if (!look_at_files(plans, pairs, options.overwrite, nprocs, rank, weights))
        return 1;
    for (double& w : weights)
        w += file_cost_bytes;
    const std::vector<std::int64_t> first = share_by_weight(weights, nprocs);

    auto piece = std::make_unique<Piece>();
    auto cells = std::make_unique<Cells>();
    OutputState state;
    for (std::int64_t i = first[static_cast<std::size_t>(rank)];
         i < first[static_cast<std::size_t>(rank) + 1]; ++i) {
        const Pair& pair = pairs[static_cast<std::size_t>(i)];
        try {
            convert_pair(plans[static_cast<std::size_t>(pair.output)], pair, state, *piece, *cells);
        } catch (const Failure& f) {
            report(f);
            const std::int32_t code = 1;
            msg_fail_all(&code);
        }
    }
    msg_rendezvous();

    std::int32_t status = 0;
    if (rank == 0) {
        try {
            write_masters(plans);
        } catch (const Failure& f) {
            report(f);
            status = 1;
        }
    }
    const std::int32_t one = 1, root = 0;
    msg_spread_ints(&status, nullptr, &one, &root);
    return status;
}

}  // namespace
}  // namespace cellplot

int main(int argc, char** argv)
{
    MPI_Init(&argc, &argv);  // the one thing the wrappers leave to the program
    std::int32_t nprocs = 1, rank = 0;
    msg_count_and_rank(&nprocs, &rank);

    // Every rank parses the same command line and comes to the same result;
    // rank 0 alone speaks.
    cellplot::Options options;
    int status = -1;
    try {
        switch (cellplot::parse_command_line(argc, argv, options)) {
        case cellplot::Action::help:
            if (rank == 0)
                std::fputs(cellplot::usage_text(), stdout);
            status = 0;
            break;
        case cellplot::Action::version:
            if (rank == 0)
                std::printf("%s %s\n", cellplot::program, CELLPLOT_VERSION);
            status = 0;
            break;
        case cellplot::Action::convert:
            break;
        }
    } catch (const cellplot::UsageError& e) {
        if (rank == 0)
            std::fprintf(stderr, "%s: %s (see %s --help)\n", cellplot::program, e.message.c_str(),
                         cellplot::program);
        status = 2;
    }
    if (status < 0) {
        try {
            status = cellplot::run(options, nprocs, rank);
        } catch (const std::bad_alloc&) {
            std::fprintf(stderr, "%s: out of memory\n", cellplot::program);
            const std::int32_t code = 1;
            msg_fail_all(&code);
        }
    }
    msg_shut_down();
    return status;
}
