// The command line of cellplot (and of its MPI twin): GNU long options, each
// value given as "--name=value" or "--name value", and at most one directory.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "write/output_style.hpp"

namespace cellplot {

enum class Progress { automatic, on, off };  // automatic: on when stderr is a terminal

struct Options {
    OutputStyle style;
    std::string dir = ".";                 // where result files are read and output written
    std::optional<std::int32_t> output;    // --output N: overrides line 10 of the control file
    std::vector<std::int32_t> outputs;     // --outputs LIST: increasing, no repeats
    bool all_outputs = false;              // --outputs all
    std::optional<std::int32_t> textmode;  // --encoding: 1 text, 0 binary; overrides line 7
    Progress progress = Progress::automatic;
    bool overwrite = false;
    std::optional<int> jobs;  // --jobs N: pieces converted at once (default: the processors)
    bool update = false;      // --update: convert only outputs not yet complete; list all complete
};

enum class Action { convert, help, version };

// A command line that cannot be taken; the message names the argument.
struct UsageError {
    std::string message;
};

// Reads argv[1..argc-1] into options; throws UsageError on an unknown option,
// a missing or bad value, a second directory or options that exclude each
// other.  --help and --version win over everything else that is valid.
Action parse_command_line(int argc, char** argv, Options& options);

// The text that --help prints.
const char* usage_text();

// The command-line step of program: parses argv into options and, when
// speak is true, prints the help (preamble first), the version, or one line
// refusing a bad command line.  Gives the exit status when the program is
// done (0 after --help or --version, 2 after a refusal), or nothing when it
// is to convert.  refusal, when given, says why the program cannot write the
// style asked for (nothing when it can), which is then refused as a bad
// command line.
std::optional<int> take_command_line(int argc, char** argv, const char* program,
                                     const char* preamble, bool speak, Options& options,
                                     const char* (*refusal)(const OutputStyle&) = nullptr);

}  // namespace cellplot
