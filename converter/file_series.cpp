#include "file_series.hpp"

#include <cerrno>
#include <cstdio>
#include <unistd.h>

#include "failure.hpp"
#include "file_names.hpp"
#include "out_file.hpp"

namespace cellplot {

void write_file_series(const std::string& dir, const std::vector<std::int32_t>& outnums)
{
    const std::string path = in_dir(dir, series_file_name);
    const std::string temporary = path + ".part" + std::to_string(::getpid());
    std::string text = "{\n  \"file-series-version\" : \"1.0\",\n  \"files\" : [\n";
    for (std::size_t k = 0; k < outnums.size(); ++k)
        text += "    { \"name\" : \"" + hdf_file_name(outnums[k]) +
                "\", \"time\" : " + std::to_string(outnums[k]) + " }" +
                (k + 1 < outnums.size() ? ",\n" : "\n");
    text += "  ]\n}\n";
    {
        OutFile out(temporary, true);
        try {
            out.put(text);
            out.close();
        } catch (const Failure&) {
            ::unlink(temporary.c_str());
            throw;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        fail(path, "cannot write: " + system_error_text(error));
    }
}

}  // namespace cellplot
