#include "run/dir_listing.hpp"

#include <algorithm>
#include <cerrno>
#include <dirent.h>

#include "run/failure.hpp"
#include "run/file_names.hpp"

namespace cellplot {

std::optional<std::int32_t> number_in(const std::string& name, const std::string& model,
                                      std::size_t at, std::size_t width)
{
    if (name.size() != model.size() || at + width > name.size() ||
        name.compare(0, at, model, 0, at) != 0 ||
        name.compare(at + width, std::string::npos, model, at + width, std::string::npos) != 0)
        return std::nullopt;
    std::int32_t value = 0;
    for (std::size_t k = at; k < at + width; ++k) {
        if (name[k] < '0' || name[k] > '9')
            return std::nullopt;
        value = 10 * value + (name[k] - '0');
    }
    return value;
}

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
        if (const auto outnum = number_in(n, piece0, 10, 4))
            outputs.push_back(*outnum);
    return outputs;  // sorted names give increasing numbers
}

std::optional<std::string> output_file_present(const std::vector<std::string>& names,
                                               std::int32_t outnum)
{
    const std::string master = master_file_name(outnum);
    const std::string piece0 = piece_file_name(0, outnum);  // view PPPPPP NNNN.vtu
    for (const std::string& n : names)
        if (n == master || number_in(n, piece0, 4, 6))
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
