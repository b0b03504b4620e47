// The names of the species arrays of one output, made once from piece 0 and
// used by every file of it.
#pragma once

#include <cstdint>
#include <string>

#include "convert/limits.hpp"

namespace cellplot {

// SpeciesNN, and the ASCII files' name lines Name="SpeciesNN" padded to 30
// characters for the master and piece files.
struct SpeciesNames {
    std::int32_t count = 0;
    std::string name[max_species];
    std::string master[max_species];
    std::string piece[max_species];
};
SpeciesNames make_species_names(std::int32_t nspecies);

}  // namespace cellplot
