// Shared by the random-number tests.
#pragma once

#include "cellkeys.h"

#include <cstring>

// Puts all four process-wide records back to their state at program start.
inline void clear_streams()
{
    std::memset(&rng_state, 0, sizeof rng_state);
    std::memset(&rng_state_second, 0, sizeof rng_state_second);
    std::memset(&rng_normal_cache, 0, sizeof rng_normal_cache);
    std::memset(&rng_normal_cache_second, 0, sizeof rng_normal_cache_second);
}
