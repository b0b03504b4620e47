#include "cellkeys.h"
#include "rng_detail.hpp"

extern "C" double rng_normal(const std::int32_t* arg)
{
    return cellkeys::detail::polar_normal(rng_normal_cache, [arg] { return rng_draw(arg); });
}
