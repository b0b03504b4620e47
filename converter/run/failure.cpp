#include "run/failure.hpp"

#include <cstdio>
#include <cstring>

namespace cellplot {

void fail(const std::string& file, const std::string& cause)
{
    throw Failure{file, cause};
}

void report(const char* program, const Failure& f)
{
    std::fprintf(stderr, "%s: %s: %s\n", program, escaped(f.file, false).c_str(),
                 escaped(f.cause, false).c_str());
}

std::string escaped(std::string_view text, bool ascii_only)
{
    static const char hex[] = "0123456789abcdef";
    std::string out;
    for (char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7f || (ascii_only && b >= 0x80))
            out += {'\\', 'x', hex[b >> 4], hex[b & 15]};
        else
            out += c;
    }
    return out;
}

std::string system_error_text(int error_number)
{
    return std::strerror(error_number);
}

}  // namespace cellplot
