#include "run/dir_listing.hpp"

#include <algorithm>
#include <cerrno>
#include <dirent.h>

#include "run/failure.hpp"
#include "run/file_names.hpp"

namespace cellplot {
namespace {

bool all_digits(const std::string& s, std::size_t at, std::size_t n)
{
    return std::all_of(s.begin() + static_cast<std::ptrdiff_t>(at),
                       s.begin() + static_cast<std::ptrdiff_t>(at + n),
                       [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

std::vector<std::string> list_dir(const std::string& dir)
{
    DIR* d = ::opendir(dir.c_str());
    if (!d)
        fail(dir, "cannot read the directory: " + system_error_text(errno));
    std::vector<std::string> names;
    while (const dirent* e = ::readdir(d))
        names.emplace_back(e->d_name);
    ::closedir(d);
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::int32_t> outputs_present(const std::vector<std::string>& names)
{
    const std::string piece0 = result_file_name(0, 0);  // reso000000 NNNN .res
    std::vector<std::int32_t> outputs;
    for (const std::string& n : names)
        if (n.size() == piece0.size() && n.compare(0, 10, piece0, 0, 10) == 0 &&
            all_digits(n, 10, 4) && n.compare(14, 4, piece0, 14, 4) == 0)
            outputs.push_back(std::stoi(n.substr(10, 4)));
    return outputs;  // sorted names give increasing numbers
}

std::optional<std::string> output_file_present(const std::vector<std::string>& names,
                                               std::int32_t outnum)
{
    const std::string master = master_file_name(outnum);
    const std::string piece0 = piece_file_name(0, outnum);  // view PPPPPP NNNN.vtu
    for (const std::string& n : names)
        if (n == master || (n.size() == piece0.size() && n.compare(0, 4, piece0, 0, 4) == 0 &&
                            all_digits(n, 4, 6) && n.compare(10, 8, piece0, 10, 8) == 0))
            return n;
    return std::nullopt;
}

std::string number_list_text(const std::vector<std::int32_t>& numbers)
{
    std::string text;
    for (std::size_t i = 0; i < numbers.size();) {
        std::size_t j = i;
        while (j + 1 < numbers.size() && numbers[j + 1] == numbers[j] + 1)
            ++j;
        if (!text.empty())
            text += ", ";
        text += std::to_string(numbers[i]);
        if (j >= i + 2) {
            text += '-';
            text += std::to_string(numbers[j]);
            i = j + 1;
        } else {
            i += 1;
        }
    }
    return text;
}

}  // namespace cellplot
