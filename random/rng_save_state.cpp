#include "cellkeys.h"
#include "rng_detail.hpp"

extern "C" void rng_save_state(double* saved)
{
    cellkeys::detail::save_state(rng_state, saved);
}
