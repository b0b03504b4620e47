#include "failure.hpp"

#include <cstring>

namespace cellplot {

void fail(const std::string& file, const std::string& cause)
{
    throw Failure{file, cause};
}

std::string system_error_text(int error_number)
{
    return std::strerror(error_number);
}

}  // namespace cellplot
