#include "cellkeys.h"
#include "rng_detail.hpp"

// Kept alone in its module so that a program defining its own rng_draw
// links that one instead, and rng_normal calls it.
extern "C" double rng_draw(const std::int32_t* /*arg*/)
{
    return cellkeys::detail::draw_uniform(rng_state);
}
