#include "run/options.hpp"

#include <algorithm>
#include <cstdio>
#include <getopt.h>
#include <string_view>

#include "convert/limits.hpp"
#include "run/failure.hpp"

namespace cellplot {
namespace {

[[noreturn]] void refuse(const std::string& message)
{
    throw UsageError{message};
}

// One of the words a keyword option takes, as its index in words.
template <std::size_t N>
int keyword(const char* option, std::string_view value, const std::string_view (&words)[N])
{
    for (std::size_t k = 0; k < N; ++k)
        if (value == words[k])
            return static_cast<int>(k);
    std::string allowed;
    for (std::size_t k = 0; k < N; ++k)
        allowed += (k ? (k + 1 == N ? " or " : ", ") : "") + std::string(words[k]);
    refuse("--" + std::string(option) + ": '" + std::string(value) + "' is not one of " + allowed);
}

// An output number written in plain decimal digits, 0 to 9999.
std::int32_t output_number(const char* option, std::string_view text)
{
    std::int32_t v = 0;
    bool ok = !text.empty() && text.size() <= 4;
    for (char c : text) {
        ok = ok && c >= '0' && c <= '9';
        v = v * 10 + (c - '0');
    }
    if (!ok || v > max_outnum)
        refuse("--" + std::string(option) + ": '" + std::string(text) +
               "' is not an output number (0 to " + std::to_string(max_outnum) + ")");
    return v;
}

// "0-20,25": numbers and inclusive ranges, in increasing order without repeats.
std::vector<std::int32_t> output_list(std::string_view text)
{
    std::vector<std::int32_t> list;
    std::size_t at = 0;
    do {
        std::size_t comma = text.find(',', at);
        std::string_view item = text.substr(at, comma == text.npos ? text.npos : comma - at);
        std::size_t dash = item.find('-');
        std::int32_t first = output_number("outputs", item.substr(0, dash));
        std::int32_t last =
            dash == item.npos ? first : output_number("outputs", item.substr(dash + 1));
        if (last < first)
            refuse("--outputs: the range '" + std::string(item) + "' runs backwards");
        for (std::int32_t n = first; n <= last; ++n)
            list.push_back(n);
        at = comma == text.npos ? text.npos : comma + 1;
    } while (at != text.npos);
    std::sort(list.begin(), list.end());
    list.erase(std::unique(list.begin(), list.end()), list.end());
    return list;
}

// A number of jobs, 1 to max_jobs, in plain decimal digits; 0 (as xz -T0
// takes it) is the default, every processor the process may run on.
std::optional<int> jobs_number(std::string_view text)
{
    int v = 0;
    bool ok = !text.empty() && text.size() <= 4;
    for (char c : text) {
        ok = ok && c >= '0' && c <= '9';
        v = v * 10 + (c - '0');
    }
    if (!ok || v > max_jobs)
        refuse("--jobs: '" + std::string(text) + "' is not a number of jobs (1 to " +
               std::to_string(max_jobs) + ", or 0 for every processor)");
    return v == 0 ? std::nullopt : std::optional<int>(v);
}

// "level,piece": the optional cell arrays, each named once or more.
CellArrays cell_arrays(std::string_view text)
{
    CellArrays arrays;
    std::size_t at = 0;
    do {
        const std::size_t comma = text.find(',', at);
        const std::string_view item = text.substr(at, comma == text.npos ? text.npos : comma - at);
        (keyword("cell-arrays", item, {"level", "piece"}) == 0 ? arrays.level : arrays.piece) =
            true;
        at = comma == text.npos ? text.npos : comma + 1;
    } while (at != text.npos);
    return arrays;
}

enum Code : int {
    opt_help = 'h',
    opt_jobs = 'j',
    opt_format = 256,
    opt_precision,
    opt_compress,
    opt_cell_type,
    opt_points,
    opt_cell_arrays,
    opt_output,
    opt_outputs,
    opt_encoding,
    opt_progress,
    opt_quiet,
    opt_overwrite,
    opt_update,
    opt_version,
};

constexpr option long_options[] = {
    {"help", no_argument, nullptr, opt_help},
    {"version", no_argument, nullptr, opt_version},
    {"format", required_argument, nullptr, opt_format},
    {"precision", required_argument, nullptr, opt_precision},
    {"compress", required_argument, nullptr, opt_compress},
    {"cell-type", required_argument, nullptr, opt_cell_type},
    {"points", required_argument, nullptr, opt_points},
    {"cell-arrays", required_argument, nullptr, opt_cell_arrays},
    {"output", required_argument, nullptr, opt_output},
    {"outputs", required_argument, nullptr, opt_outputs},
    {"encoding", required_argument, nullptr, opt_encoding},
    {"progress", no_argument, nullptr, opt_progress},
    {"quiet", no_argument, nullptr, opt_quiet},
    {"overwrite", no_argument, nullptr, opt_overwrite},
    {"jobs", required_argument, nullptr, opt_jobs},
    {"update", no_argument, nullptr, opt_update},
    {nullptr, 0, nullptr, 0},
};

}  // namespace

Action parse_command_line(int argc, char** argv, Options& options)
{
    Action action = Action::convert;
    bool have_output = false, have_outputs = false;
    opterr = 0;  // every complaint is ours, as one UsageError
    optind = 0;  // glibc: start afresh, so the parser may run more than once
    for (;;) {
        const int before = optind;
        const int code = getopt_long(argc, argv, ":hj:", long_options, nullptr);
        if (code == -1)
            break;
        const std::string_view value = optarg ? optarg : "";
        switch (code) {
        case opt_help: action = Action::help; break;
        case opt_version:
            if (action != Action::help)
                action = Action::version;
            break;
        case opt_format:
            options.style.format = Format(keyword("format", value, {"ascii", "binary", "vtkhdf"}));
            break;
        case opt_precision:
            options.style.precision = Precision(keyword("precision", value, {"double", "single"}));
            break;
        case opt_compress:
            options.style.compress =
                Compression(keyword("compress", value, {"none", "zlib", "lz4"}));
            break;
        case opt_cell_type:
            options.style.cell_type =
                CellType(keyword("cell-type", value, {"voxel", "hexahedron"}));
            break;
        case opt_points:
            options.style.points = keyword("points", value, {"shared", "per-cell"}) == 0
                                       ? Points::shared
                                       : Points::per_cell;
            break;
        case opt_cell_arrays: options.style.cell_arrays = cell_arrays(value); break;
        case opt_output:
            options.output = output_number("output", value);
            have_output = true;
            break;
        case opt_outputs:
            have_outputs = true;
            options.all_outputs = value == "all";
            options.outputs =
                options.all_outputs ? std::vector<std::int32_t>{} : output_list(value);
            break;
        case opt_encoding: options.textmode = keyword("encoding", value, {"binary", "text"}); break;
        case opt_progress: options.progress = Progress::on; break;
        case opt_quiet: options.progress = Progress::off; break;
        case opt_overwrite: options.overwrite = true; break;
        case opt_jobs: options.jobs = jobs_number(value); break;
        case opt_update: options.update = true; break;
        case ':': refuse("option '" + std::string(argv[optind - 1]) + "' needs a value");
        default:
            refuse("unknown option '" + std::string(argv[before < optind ? optind - 1 : before]) +
                   "'");
        }
    }
    if (have_output && have_outputs)
        refuse("--output and --outputs exclude each other");
    if (options.update && options.overwrite)
        refuse("--update and --overwrite exclude each other");
    if (options.style.format == Format::ascii && (options.style.precision != Precision::float64 ||
                                                  options.style.compress != Compression::none))
        refuse("--precision and --compress shape binary data: give --format binary too");
    if (options.style.format == Format::vtkhdf && options.style.compress == Compression::lz4)
        refuse("--compress=lz4: HDF5 readers such as VTK's have no lz4 filter built in; "
               "use --compress=zlib with --format=vtkhdf");
    if (optind < argc - 1)
        refuse("more than one directory given ('" + std::string(argv[optind]) + "', '" +
               argv[optind + 1] + "')");
    if (optind < argc)
        options.dir = argv[optind];
    return action;
}

const char* usage_text()
{
    return "Usage: cellplot [OPTION]... [DIR]\n"
           "\n"
           "Converts the result files of one output of the solver (or of several) into a VTK\n"
           "XML data set: a master file pviewNNNN.pvtu and one piece file viewPPPPPPNNNN.vtu\n"
           "per piece, every cell a voxel (or, with --format=vtkhdf, one file pviewNNNN.hdf\n"
           "holding every piece).  It reads and writes in DIR (default: the current\n"
           "directory).  With no options it converts the output that contview.dat names and\n"
           "writes exactly the ASCII files it always has.\n"
           "\n"
           "Output:\n"
           "  --format=ascii|binary|vtkhdf  ASCII, raw appended binary data, or one VTKHDF\n"
           "                             (HDF5) file per output (default ascii)\n"
           "  --precision=double|single  Float64 or Float32 values in binary and vtkhdf\n"
           "                             (default double)\n"
           "  --compress=none|zlib|lz4   compressed binary blocks, or HDF5's deflate filter\n"
           "                             with vtkhdf, which takes no lz4 (default none)\n"
           "  --cell-type=voxel|hexahedron  VTK cell type of every cell (default voxel)\n"
           "  --points=shared|per-cell   coincident corners of a piece as one point, or eight\n"
           "                             points of its own for every cell (default per-cell\n"
           "                             for ascii, shared for binary and vtkhdf)\n"
           "  --cell-arrays=level,piece  add the cell arrays Level (refinement level) and\n"
           "                             Piece (piece number), either or both\n"
           "Input:\n"
           "  --output=N                 convert output N (default: line 10 of contview.dat)\n"
           "  --outputs=LIST|all         convert several outputs: numbers and ranges such as\n"
           "                             0-20,25, or all found in DIR; also writes pview.pvd\n"
           "                             (pview.hdf.series with vtkhdf)\n"
           "  --encoding=text|binary     result file encoding (default: line 7 of contview.dat)\n"
           "Run:\n"
           "  --update                   convert only the outputs that are not complete in\n"
           "                             DIR yet (again any that a failed run left\n"
           "                             incomplete), and list every complete output of DIR\n"
           "                             in pview.pvd: for a run that the solver extends\n"
           "  --overwrite                replace earlier files of the outputs converted and\n"
           "                             pview.pvd (without it, a run refuses before it\n"
           "                             writes anything when one of them exists)\n"
           "  -j, --jobs=N               convert up to N pieces at once, in threads (default\n"
           "                             and 0: the processors it may run on, at most the\n"
           "                             pieces)\n"
           "  --progress, --quiet        force the progress line on or off (default: on when\n"
           "                             standard error is a terminal): output, piece,\n"
           "                             cells per second, bytes written\n"
           "  -h, --help                 print this text\n"
           "  --version                  print the version\n"
           "\n"
           "Files read:\n"
           "  contview.dat          optional control file; only two lines are read:\n"
           "                          line 7:  0 = binary result files, any other integer = text\n"
           "                          line 10: the output number NNNN, 0 to 9999\n"
           "                        (defaults: text, output 0)\n"
           "  resoPPPPPPNNNN.res    result file of piece PPPPPP; piece 0's header gives the\n"
           "                        number of pieces\n"
           "Files written (never over an existing file unless --overwrite or --update):\n"
           "  pviewNNNN.pvtu        the master file\n"
           "  viewPPPPPPNNNN.vtu    one piece file per piece\n"
           "  pview.pvd             the collection, when several outputs are converted or\n"
           "                        with --update; it lists the complete outputs only\n"
           "  pviewNNNN.hdf         with --format=vtkhdf, the whole output instead; written\n"
           "                        under a temporary name and renamed when complete\n"
           "  pview.hdf.series      its collection (JSON), as pview.pvd is for the others\n"
           "\n"
           "One run at a time converts in DIR; a second one refuses at once.\n"
           "\n"
           "Exit status: 0 done; 1 a file could not be opened, read or written, or DIR is\n"
           "in use (one line \"cellplot: FILE: CAUSE\" says which; a master file left behind\n"
           "lacks only its closing lines, and --update converts that output again); 2 a\n"
           "command line it cannot take; 130 or 143 interrupted by SIGINT or SIGTERM (one\n"
           "line names the file left incomplete, or the .hdf whose temporary file was\n"
           "removed).\n"
           "The manual page cellplot(1) says more.\n";
}

std::optional<int> take_command_line(int argc, char** argv, const char* program,
                                     const char* preamble, bool speak, Options& options,
                                     const char* (*refusal)(const OutputStyle&))
{
    try {
        const Action action = parse_command_line(argc, argv, options);
        if (action == Action::convert && refusal)
            if (const char* why = refusal(options.style))
                throw UsageError{why};
        switch (action) {
        case Action::help:
            if (speak) {
                std::fputs(preamble, stdout);
                std::fputs(usage_text(), stdout);
            }
            return 0;
        case Action::version:
            if (speak)
                std::printf("%s %s\n", program, CELLPLOT_VERSION);
            return 0;
        case Action::convert: return std::nullopt;
        }
    } catch (const UsageError& e) {
        if (speak)
            std::fprintf(stderr, "%s: %s (see %s --help)\n", program,
                         escaped(e.message, false).c_str(), program);
        return 2;
    }
    return std::nullopt;
}

}  // namespace cellplot
