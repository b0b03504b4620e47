// The flow state the sample solver reports: a blast wave whose spherical
// shock front is the refinement front of the mesh.
#pragma once

#include "mesh.hpp"

#include <cstdint>
#include <vector>

namespace solver {

// Per-cell arrays in the order of the result records; momentum, energy and
// species are amounts per volume, as a solver keeps them.
struct CellFields {
    std::vector<std::int32_t> level;
    std::vector<double> x, y, z, size;
    std::vector<double> density, energy, temperature, pressure;
    std::vector<double> momentum[3];
    std::vector<std::vector<double>> species;  // species[j][i]: species j + 1 of cell i
    std::size_t cells() const { return level.size(); }
};

// Fills the fields of the `count` cells in a key array.  Behind the front
// (inside the sphere) the gas is hot, thin at the centre and piled up
// towards the front, and moves outward; ahead of it the gas is cold and at
// rest.  Density and pressure carry a relative Gaussian noise of `noise`
// from rng_normal; seed the first random stream before calling.
CellFields fill_fields(const Refinement& front, const std::vector<std::int32_t>& keys,
                       std::int32_t count, std::int32_t nspecies, double noise);

// The ratio of specific heats of the gas.
constexpr double gamma_gas = 5.0 / 3.0;

}  // namespace solver
