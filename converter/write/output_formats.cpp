// The one place output formats are chosen, by the value of --format.  This
// file is built once for each set of formats a program links (VTKHDF only
// where HDF5 was found), so that the converter's other code needs no HDF5.
#include <iterator>

#include "write/output_writer.hpp"

namespace cellplot {
namespace {

struct FormatEntry {
    Format format;
    std::unique_ptr<OutputWriter> (*make)(const Job&, ProgressLine*);
};

constexpr FormatEntry formats[] = {
    {Format::ascii, make_xml_writer},
    {Format::binary, make_xml_writer},
#ifdef CELLPLOT_WITH_VTKHDF
    {Format::vtkhdf, make_vtkhdf_writer},
#endif
};

const FormatEntry* find(Format format)
{
    for (const FormatEntry& f : formats)
        if (f.format == format)
            return &f;
    return nullptr;
}

}  // namespace

std::unique_ptr<OutputWriter> make_output_writer(const Job& job, ProgressLine* progress)
{
    return find(job.style.format)->make(job, progress);
}

const char* style_refusal(const OutputStyle& style)
{
    if (!find(style.format))
        return "--format=vtkhdf: this program was built without HDF5";
    return nullptr;
}

}  // namespace cellplot
