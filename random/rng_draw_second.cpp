#include "cellkeys.h"
#include "rng_detail.hpp"

extern "C" double rng_draw_second(const std::int32_t* /*arg*/)
{
    return cellkeys::detail::draw_uniform(rng_state_second);
}
