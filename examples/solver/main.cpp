// sample_solver: a small MPI program that does what a parallel octree flow
// solver does at an output.  Every process builds the same adaptively
// refined octree around a spherical shock front, walks its leaves in path
// order, takes its even share of them, fills their flow fields and writes
// its own result file; process 0 writes the control file for cellplot.
#include "cellkeys.h"
#include "fields.hpp"
#include "mesh.hpp"
#include "result_files.hpp"

#include <mpi.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// The largest result file cellplot reads, in cells.
constexpr std::int64_t cells_per_file = 1000000;
constexpr std::int32_t max_species = 18;

struct Options {
    solver::Refinement refinement;
    bool binary = false;
    std::int32_t outnum = 0;
    std::int32_t nspecies = 3;
    double noise = 0.01;
    std::int32_t seed = 1802;
    bool help = false;
};

const char usage[] = "usage: mpiexec -n P sample_solver [options]\n"
                     "\n"
                     "Writes the result files of one output of a blast wave on an octree mesh\n"
                     "refined around its spherical shock front, one file per process, and the\n"
                     "control file contview.dat, into the current directory.  Run cellplot there\n"
                     "afterwards to convert them.\n"
                     "\n"
                     "options:\n"
                     "  --max-level N      deepest refinement level, 1..18 (default 6)\n"
                     "  --min-level N      level every cell reaches, 1..max-level (default 2)\n"
                     "  --encoding E       result files as text or binary (default text)\n"
                     "  --output N         output number, 0..9999 (default 0)\n"
                     "  --species N        number of species, 0..18 (default 3)\n"
                     "  --radius R         radius of the shock front, in (0, 0.5] (default 0.3)\n"
                     "  --noise A          relative Gaussian noise on density and pressure,\n"
                     "                     0..0.1 (default 0.01)\n"
                     "  --seed N           random seed of process 0, 0..31328 (default 1802);\n"
                     "                     process p uses seed + p, wrapped into that range\n"
                     "  --help             print this text and exit\n"
                     "\n"
                     "Cell counts grow about four times per level: --max-level 4 gives some\n"
                     "3,000 cells, 7 some 170,000 and 9 some 2.8 million.  A process writes at\n"
                     "most 1,000,000 cells, the most cellplot reads from one file.\n";

bool parse_int(const char* s, long lo, long hi, std::int32_t* out)
{
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(s, &end, 10);
    if (errno || end == s || *end || v < lo || v > hi)
        return false;
    *out = static_cast<std::int32_t>(v);
    return true;
}

bool parse_real(const char* s, double lo, double hi, bool open_low, double* out)
{
    char* end = nullptr;
    errno = 0;
    const double v = std::strtod(s, &end);
    if (errno || end == s || *end || !(v <= hi) || v < lo || (open_low && v == lo))
        return false;
    *out = v;
    return true;
}

// Reads the options; on a mistake fills error and returns false.
bool parse_options(int argc, char** argv, Options& o, std::string& error)
{
    for (int a = 1; a < argc; ++a) {
        std::string name = argv[a];
        std::string value;
        bool has_value = false;
        if (const auto eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
            has_value = true;
        }
        if (name == "--help" || name == "-h") {
            o.help = true;
            continue;
        }
        const bool known = name == "--max-level" || name == "--min-level" || name == "--encoding" ||
                           name == "--output" || name == "--species" || name == "--radius" ||
                           name == "--noise" || name == "--seed";
        if (!known) {
            error = "unknown option '" + name + "'";
            return false;
        }
        if (!has_value) {
            if (a + 1 >= argc) {
                error = name + " needs a value";
                return false;
            }
            value = argv[++a];
        }
        const char* v = value.c_str();
        bool ok = true;
        if (name == "--max-level")
            ok = parse_int(v, 1, 18, &o.refinement.max_level);
        else if (name == "--min-level")
            ok = parse_int(v, 1, 18, &o.refinement.min_level);
        else if (name == "--encoding") {
            ok = value == "text" || value == "binary";
            o.binary = value == "binary";
        } else if (name == "--output")
            ok = parse_int(v, 0, 9999, &o.outnum);
        else if (name == "--species")
            ok = parse_int(v, 0, max_species, &o.nspecies);
        else if (name == "--radius")
            ok = parse_real(v, 0.0, 0.5, true, &o.refinement.radius);
        else if (name == "--noise")
            ok = parse_real(v, 0.0, 0.1, false, &o.noise);
        else
            ok = parse_int(v, 0, 31328, &o.seed);
        if (!ok) {
            error = "bad value '" + value + "' for " + name;
            return false;
        }
    }
    if (o.refinement.min_level > o.refinement.max_level) {
        error = "--min-level is above --max-level";
        return false;
    }
    return true;
}

// Ends this process's part in the job after a refusal that every process
// reached alike; process 0 says why.
int stop(std::int32_t rank, const std::string& message, int status)
{
    if (rank == 0 && !message.empty())
        std::fprintf(stderr, "sample_solver: %s\n", message.c_str());
    msg_shut_down();
    return status;
}

}  // namespace

int main(int argc, char** argv)
{
    MPI_Init(&argc, &argv);
    std::int32_t size = 1, rank = 0;
    msg_count_and_rank(&size, &rank);

    Options o;
    std::string error;
    if (!parse_options(argc, argv, o, error))
        return stop(rank, error + " (see --help)", 2);
    if (o.help) {
        if (rank == 0)
            std::fputs(usage, stdout);
        return stop(rank, "", 0);
    }

    // The same mesh on every process, split evenly in path order.
    solver::Octree tree;
    const solver::BuildResult mesh = solver::build_tree(o.refinement, cells_per_file * size, tree);
    if (!mesh.ok)
        return stop(rank,
                    "the mesh would pass " + std::to_string(cells_per_file) +
                        " cells per process; lower --max-level or run more processes",
                    1);
    std::int64_t first = 0, count = 0;
    solver::split_evenly(mesh.leaves, size, rank, &first, &count);
    const std::int32_t ncells = static_cast<std::int32_t>(count);
    const std::vector<std::int32_t> keys = solver::leaf_keys(tree, first, ncells);

    // A seed pair of its own for every process.
    const std::int32_t seed1 = static_cast<std::int32_t>((o.seed + rank) % 31329), seed2 = 9373;
    rng_seed(&seed1, &seed2);
    const solver::CellFields fields =
        solver::fill_fields(o.refinement, keys, ncells, o.nspecies, o.noise);

    solver::ResultHeader header;
    header.piece = rank;
    header.npieces = size;
    header.reflevel = o.refinement.min_level;
    header.nlevels = o.refinement.max_level;
    const std::string name = solver::result_name(rank, o.outnum);
    if (const int e = solver::write_result(name, o.binary, header, fields)) {
        std::fprintf(stderr, "sample_solver: %s: %s\n", name.c_str(), std::strerror(e));
        const std::int32_t code = 1;
        msg_fail_all(&code);
    }
    if (rank == 0) {
        const std::string description = "sample_solver, " + std::to_string(size) +
                                        " processes, levels " +
                                        std::to_string(o.refinement.min_level) + " to " +
                                        std::to_string(o.refinement.max_level);
        if (const int e = solver::write_control(o.binary, o.outnum, description)) {
            std::fprintf(stderr, "sample_solver: contview.dat: %s\n", std::strerror(e));
            const std::int32_t code = 1;
            msg_fail_all(&code);
        }
    }

    std::int32_t total = 0;
    msg_sum_int_to_root(&ncells, &total);
    if (rank == 0)
        std::printf("sample_solver: %d processes wrote %d cells, levels %d to %d, as %s result "
                    "files of output %d\n",
                    size, total, o.refinement.min_level, o.refinement.max_level,
                    o.binary ? "binary" : "text", o.outnum);
    std::fflush(stdout);
    msg_rendezvous();
    msg_shut_down();
    return 0;
}
