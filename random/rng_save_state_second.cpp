#include "cellkeys.h"
#include "rng_detail.hpp"

#include <cstring>

extern "C" void rng_save_state_second(double* saved)
{
    using namespace cellkeys::detail;
    save_state(rng_state_second, saved);
    std::memcpy(&saved[saved_cache_value], &rng_normal_cache_second.value, sizeof(double));
    saved[saved_cache_waiting] = rng_normal_cache_second.waiting != 0 ? 1.0 : 0.0;
}
