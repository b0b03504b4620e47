// The control-file reader fed one whole file, followed by what the program
// makes of the settings before it opens a result file: the file names.
#include "fuzz_target.hpp"

#include "convert/piece.hpp"
#include "read/input.hpp"
#include "run/failure.hpp"
#include "run/file_names.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    cellplot::Settings settings;
    cellplot::MemorySource source(cellplot::control_file_name, reinterpret_cast<const char*>(data),
                                  size);
    try {
        cellplot::read_control_from(source, settings);
    } catch (const cellplot::Failure&) {
        return 0;  // refusing a damaged control file is the expected outcome
    }
    FUZZ_CHECK(cellplot::result_file_name(0, settings.outnum).size() == 18);
    FUZZ_CHECK(cellplot::master_file_name(settings.outnum).size() == 14);
    return 0;
}
