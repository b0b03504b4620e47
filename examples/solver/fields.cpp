#include "fields.hpp"

#include <cmath>

namespace solver {
namespace {

// Mass fractions of the species at relative radius s (r / radius): the
// ambient gas (species 1) ahead of the front, burnt into the others behind
// it, which share the rest in proportion 1 : 2 : 3 ...
void mass_fractions(double s, std::int32_t nspecies, double* fraction)
{
    if (nspecies <= 0)
        return;
    if (nspecies == 1) {
        fraction[0] = 1.0;
        return;
    }
    const double ambient = s >= 1.0 ? 1.0 : 0.5 * s * s;
    fraction[0] = ambient;
    const double weights = 0.5 * nspecies * (nspecies - 1);
    for (std::int32_t j = 1; j < nspecies; ++j)
        fraction[j] = (1.0 - ambient) * j / weights;
}

}  // namespace

CellFields fill_fields(const Refinement& front, const std::vector<std::int32_t>& keys,
                       std::int32_t count, std::int32_t nspecies, double noise)
{
    CellFields f;
    const std::size_t n = count > 0 ? static_cast<std::size_t>(count) : 0;
    for (auto* v : {&f.x, &f.y, &f.z, &f.size, &f.density, &f.energy, &f.temperature, &f.pressure,
                    &f.momentum[0], &f.momentum[1], &f.momentum[2]})
        v->resize(n);
    f.level.resize(n);
    f.species.assign(static_cast<std::size_t>(nspecies > 0 ? nspecies : 0), std::vector<double>(n));
    std::vector<double> fraction(f.species.size() + 1);
    const std::int32_t unused = 0;
    for (std::int32_t slot = 1; slot <= count; ++slot) {
        const std::size_t i = static_cast<std::size_t>(slot) - 1;
        CellKey key;
        ck_read_slot(&key, keys.data(), &count, &slot);
        ck_get_level(&key, &f.level[i]);
        double c[3];
        cell_geometry(key, c, &f.size[i]);
        f.x[i] = c[0];
        f.y[i] = c[1];
        f.z[i] = c[2];

        double d[3] = {c[0] - front.centre[0], c[1] - front.centre[1], c[2] - front.centre[2]};
        const double r = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
        const double s = r / front.radius;
        double rho, p, speed;
        if (s < 1.0) {
            rho = 0.25 + 3.75 * s * s * s * s;
            p = 1.0 + 1.5 * s * s;
            speed = s;
        } else {
            rho = 1.0;
            p = 0.01;
            speed = 0.0;
        }
        rho *= 1.0 + noise * rng_normal(&unused);
        p *= 1.0 + noise * rng_normal(&unused);
        f.density[i] = rho;
        f.pressure[i] = p;
        f.temperature[i] = p / rho;
        f.energy[i] = p / (gamma_gas - 1.0) + 0.5 * rho * speed * speed;
        for (int a = 0; a < 3; ++a)
            f.momentum[a][i] = r > 0 ? rho * speed * d[a] / r : 0.0;
        mass_fractions(s, nspecies, fraction.data());
        for (std::size_t j = 0; j < f.species.size(); ++j)
            f.species[j][i] = rho * fraction[j];
    }
    return f;
}

}  // namespace solver
