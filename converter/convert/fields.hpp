// Field conversion: the solver's per-volume quantities become the values
// shown, velocity, energy per mass and mass fractions.
#pragma once

#include "convert/piece.hpp"

namespace cellplot {

// Divides momentum, energy and species by density, then sets velocity
// components and pressure below 1e-6 and mass fractions below 1e-10 in
// magnitude to zero.  Works in place on the cells of piece; density,
// temperature and the geometry are left as they are.
void convert_fields(Piece& piece);

}  // namespace cellplot
