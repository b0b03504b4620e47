#include "file_names.hpp"

namespace cellplot {

std::string zero_padded(std::int32_t value, int width)
{
    std::string s(static_cast<std::size_t>(width), '*');
    if (value < 0)
        return s;  // the minus sign would need a column of its own
    for (int k = width - 1; k >= 0; --k) {
        s[static_cast<std::size_t>(k)] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    if (value != 0)
        return std::string(static_cast<std::size_t>(width), '*');
    return s;
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

}  // namespace cellplot

namespace cellplot {

std::string in_dir(const std::string& dir, const std::string& name)
{
    if (dir == "." || dir.empty())
        return name;
    return dir.back() == '/' ? dir + name : dir + "/" + name;
}

}  // namespace cellplot
