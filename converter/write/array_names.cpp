#include "write/array_names.hpp"

#include "run/file_names.hpp"

namespace cellplot {

SpeciesNames make_species_names(std::int32_t nspecies)
{
    SpeciesNames names;
    names.count = nspecies > 0 ? nspecies : 0;
    for (std::int32_t j = 1; j <= names.count; ++j) {
        names.name[j - 1] = "Species" + zero_padded(j, 2);
        const std::string core = "Name=\"" + names.name[j - 1] + "\"";
        names.master[j - 1] = std::string(8, ' ') + core + std::string(6, ' ');
        names.piece[j - 1] = std::string(11, ' ') + core + std::string(3, ' ');
    }
    return names;
}

}  // namespace cellplot
