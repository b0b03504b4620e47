#include "run/collection.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

#include "run/dir_listing.hpp"
#include "run/failure.hpp"
#include "run/file_names.hpp"
#include "run/interrupt.hpp"
#include "run/out_file.hpp"

namespace cellplot {
namespace {

// The last lines of a complete .pvtu master.
constexpr std::string_view master_end = "  </PUnstructuredGrid>\n</VTKFile>\n";

// Whether the file at path ends with end; false when it cannot be read.
bool file_ends_with(const std::string& path, std::string_view end)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st;
    char tail[64];
    bool ends = false;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
        st.st_size >= static_cast<off_t>(end.size()) && end.size() <= sizeof tail) {
        const off_t at = st.st_size - static_cast<off_t>(end.size());
        ends = ::pread(fd, tail, end.size(), at) == static_cast<ssize_t>(end.size()) &&
               std::memcmp(tail, end.data(), end.size()) == 0;
    }
    ::close(fd);
    return ends;
}

bool regular_file(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string pvd_text(const std::vector<std::int32_t>& outnums)
{
    std::string text = "<?xml version=\"1.0\"?>\n"
                       "<VTKFile type=\"Collection\" version=\"0.1\">\n"
                       "  <Collection>\n";
    for (std::int32_t outnum : outnums)
        text += "    <DataSet timestep=\"" + std::to_string(outnum) +
                "\" group=\"\" part=\"0\" file=\"" + listed_file_name(SeriesKind::pvd, outnum) +
                "\"/>\n";
    text += "  </Collection>\n"
            "</VTKFile>\n";
    return text;
}

std::string series_text(const std::vector<std::int32_t>& outnums)
{
    std::string text = "{\n"
                       "  \"file-series-version\" : \"1.0\",\n"
                       "  \"files\" : [\n";
    for (std::size_t k = 0; k < outnums.size(); ++k)
        text += "    { \"name\" : \"" + listed_file_name(SeriesKind::hdf, outnums[k]) +
                "\", \"time\" : " + std::to_string(outnums[k]) + " }" +
                (k + 1 < outnums.size() ? ",\n" : "\n");
    text += "  ]\n"
            "}\n";
    return text;
}

}  // namespace

SeriesKind series_kind(const OutputStyle& style)
{
    return style.format == Format::vtkhdf ? SeriesKind::hdf : SeriesKind::pvd;
}

const char* collection_file_name(SeriesKind kind)
{
    return kind == SeriesKind::hdf ? "pview.hdf.series" : "pview.pvd";
}

std::string listed_file_name(SeriesKind kind, std::int32_t outnum)
{
    switch (kind) {
    case SeriesKind::hdf: return hdf_file_name(outnum);
    case SeriesKind::pvd: break;
    }
    return master_file_name(outnum);
}

bool output_complete(const std::string& dir, SeriesKind kind, std::int32_t outnum)
{
    const std::string path = in_dir(dir, listed_file_name(kind, outnum));
    switch (kind) {
    case SeriesKind::hdf: return regular_file(path);
    case SeriesKind::pvd: break;
    }
    return file_ends_with(path, master_end);
}

std::vector<std::int32_t> complete_outputs(const std::string& dir,
                                           const std::vector<std::string>& names, SeriesKind kind)
{
    // pviewNNNN.pvtu or pviewNNNN.hdf: the listed name of output 0 with
    // other digits in the number's place.
    const std::string model = listed_file_name(kind, 0);
    std::vector<std::int32_t> complete;
    for (const std::string& n : names) {
        const auto outnum = number_in(n, model, 5, 4);
        if (outnum && output_complete(dir, kind, *outnum))
            complete.push_back(*outnum);
    }
    std::sort(complete.begin(), complete.end());
    return complete;
}

Collection::Collection(std::string dir, SeriesKind kind, std::vector<std::int32_t> listed)
    : dir_(std::move(dir)), kind_(kind), listed_(std::move(listed))
{
    std::sort(listed_.begin(), listed_.end());
    listed_.erase(std::unique(listed_.begin(), listed_.end()), listed_.end());
}

void Collection::add(std::int32_t outnum)
{
    const auto at = std::lower_bound(listed_.begin(), listed_.end(), outnum);
    if (at == listed_.end() || *at != outnum)
        listed_.insert(at, outnum);
    write();
}

void Collection::write() const
{
    const std::string path = in_dir(dir_, collection_file_name(kind_));
    const std::string temporary = path + ".tmp";
    // An interruption now would leave the temporary file behind; the few
    // microseconds this takes are not worth an incomplete run's litter.
    const InterruptsHeld held;
    try {
        OutFile out(temporary, true);
        out.put(kind_ == SeriesKind::hdf ? series_text(listed_) : pvd_text(listed_));
        out.close();
    } catch (const Failure&) {
        ::unlink(temporary.c_str());
        throw;
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        fail(path, "cannot replace: " + system_error_text(error));
    }
}

}  // namespace cellplot
