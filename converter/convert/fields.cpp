#include "convert/fields.hpp"

#include <cmath>

namespace cellplot {
namespace {

constexpr double velocity_floor = 1e-6;
constexpr double pressure_floor = 1e-6;
constexpr double fraction_floor = 1e-10;

}  // namespace

void convert_fields(Piece& piece)
{
    const std::int32_t n = piece.header.ncells;
    const double* d = piece.drun.get();
    double* e = piece.erun.get();
    double* p = piece.prun.get();
    for (std::int32_t i = 0; i < n; ++i)
        e[i] = e[i] / d[i];
    for (std::int32_t i = 0; i < n; ++i)
        if (std::fabs(p[i]) < pressure_floor)
            p[i] = 0.0;
    auto divide_and_clear = [&](double* v, double floor) {
        for (std::int32_t i = 0; i < n; ++i) {
            const double q = v[i] / d[i];
            v[i] = std::fabs(q) < floor ? 0.0 : q;
        }
    };
    for (int a = 0; a < 3; ++a)
        divide_and_clear(piece.velocity(a), velocity_floor);
    for (int j = 1; j <= piece.header.nspecies; ++j)
        divide_and_clear(piece.species(j), fraction_floor);
}

}  // namespace cellplot
