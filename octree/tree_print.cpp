#include "cellkeys.h"

#include "tree_walk.hpp"

#include <cstdio>

using namespace cellkeys::detail;

namespace {

// Fortran edit descriptor I6: right-aligned in six columns, a leading minus
// when negative, six asterisks when the number needs more columns.
char* put_i6(char* out, std::int32_t number)
{
    if (number < -99999 || number > 999999) {
        for (int i = 0; i < 6; ++i) {
            out[i] = '*';
        }
        return out + 6;
    }
    const bool negative = number < 0;
    std::int32_t rest = negative ? -number : number;
    int pos = 5;
    do {
        out[pos--] = static_cast<char>('0' + rest % 10);
        rest /= 10;
    } while (rest != 0);
    if (negative) {
        out[pos--] = '-';
    }
    while (pos >= 0) {
        out[pos--] = ' ';
    }
    return out + 6;
}

}  // namespace

extern "C" void tree_print(const std::int32_t* parent, const std::int32_t* child, const char* state,
                           const std::int32_t* capacity, const std::int32_t* count)
{
    char line[80];
    char* end = put_i6(line, *count);
    *end++ = '\n';
    std::fwrite(line, 1, static_cast<std::size_t>(end - line), stdout);

    // Rows past the arrays' capacity do not exist and are not read.
    const std::int32_t rows = *count < *capacity ? *count : *capacity;
    for (std::int32_t i = 1; i <= rows; ++i) {
        // (2I6,8(X,A1,I6)): 12 + 8 * 8 = 76 characters.
        end = put_i6(line, i);
        end = put_i6(end, parent[i - 1]);
        const std::size_t row = slot_index(i, 0);
        for (std::int32_t j = 0; j < slots_per_node; ++j) {
            *end++ = ' ';
            *end++ = state[row + j];
            end = put_i6(end, child[row + j]);
        }
        *end++ = '\n';
        std::fwrite(line, 1, static_cast<std::size_t>(end - line), stdout);
    }
}
