#include "cellkeys.h"
#include "rng_detail.hpp"

#include <cmath>
#include <cstring>

extern "C" void rng_load_state_second(const double* saved)
{
    using namespace cellkeys::detail;
    load_state(rng_state_second, saved);
    rng_normal_cache_second.waiting = 0;
    std::memcpy(&rng_normal_cache_second.value, &saved[saved_cache_value], sizeof(double));
    if (std::lround(saved[saved_cache_waiting]) == 1)
        rng_normal_cache_second.waiting = 1;
}
