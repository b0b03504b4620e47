#include "cellkeys.h"
#include "rng_detail.hpp"

extern "C" void rng_prepare_second(const std::int32_t* seed1, const std::int32_t* seed2)
{
    cellkeys::detail::seed_state(rng_state_second, *seed1, *seed2);
}
