#include "cellkeys.h"
#include "rng_detail.hpp"

extern "C" void rng_seed(const std::int32_t* seed1, const std::int32_t* seed2)
{
    cellkeys::detail::seed_state(rng_state, *seed1, *seed2);
}
