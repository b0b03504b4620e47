// The text (list-directed) result reader and the steps after it.
#include "result_fuzz.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return cellplot_fuzz::run_result(data, size, true);
}
