#include "cellkeys.h"

#include <cstdint>

extern "C" void rng_start_second(const std::int32_t* seed1, const std::int32_t* seed2)
{
    rng_prepare_second(seed1, seed2);
    // A deviate left over from the old sequence must not leak into the new one.
    rng_normal_cache_second.value = 0.0;
    rng_normal_cache_second.waiting = 0;
}
