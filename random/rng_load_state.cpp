#include "cellkeys.h"
#include "rng_detail.hpp"

// The normal cache is left alone: a deviate waiting before the load is
// still the next one rng_normal returns.
extern "C" void rng_load_state(const double* saved)
{
    cellkeys::detail::load_state(rng_state, saved);
}
