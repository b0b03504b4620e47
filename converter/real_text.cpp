#include "real_text.hpp"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace cellplot {

char* put_real(char* out, double v) noexcept
{
    char buf[40];
    if (std::isnan(v)) {
        std::memcpy(out, "         NaN", 12);
        return out + 12;
    }
    if (std::isinf(v)) {
        std::memcpy(out, v < 0 ? "   -Infinity" : "    Infinity", 12);
        return out + 12;
    }
    int n = std::snprintf(buf, sizeof buf, "%.4E", v);
    // buf is [-]d.ddddE[+-]dd[d]
    char* e = std::strchr(buf, 'E');
    int mant = static_cast<int>(e - buf);
    int explen = n - mant - 2;  // digits after the sign
    char tmp[16];
    int t = 0;
    std::memcpy(tmp, buf, mant);
    t = mant;
    if (explen <= 2) {
        tmp[t++] = 'E';
        tmp[t++] = e[1];
        tmp[t++] = e[2];
        tmp[t++] = e[3];
    } else {
        tmp[t++] = e[1];
        std::memcpy(tmp + t, e + 2, 3);
        t += 3;
    }
    std::memset(out, ' ', 12 - t);
    std::memcpy(out + 12 - t, tmp, t);
    return out + 12;
}

}  // namespace cellplot
