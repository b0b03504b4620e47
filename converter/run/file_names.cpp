#include "run/file_names.hpp"

#include "write/integer_field.hpp"

namespace cellplot {

std::string zero_padded(std::int32_t value, int width)
{
    return integer_field(value, width, width);
}

std::string result_file_name(std::int32_t ipiece, std::int32_t outnum)
{
    return "reso" + zero_padded(ipiece, 6) + zero_padded(outnum, 4) + ".res";
}

std::string master_file_name(std::int32_t outnum)
{
    return "pview" + zero_padded(outnum, 4) + ".pvtu";
}

std::string piece_file_name(std::int32_t ipiece, std::int32_t outnum)
{
    return "view" + zero_padded(ipiece, 6) + zero_padded(outnum, 4) + ".vtu";
}

std::string hdf_file_name(std::int32_t outnum)
{
    return "pview" + zero_padded(outnum, 4) + ".hdf";
}

std::string in_dir(const std::string& dir, const std::string& name)
{
    if (dir == "." || dir.empty())
        return name;
    return dir.back() == '/' ? dir + name : dir + "/" + name;
}

}  // namespace cellplot
