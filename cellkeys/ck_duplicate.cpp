#include "cellkeys.h"

#include <cstdint>

extern "C" void ck_duplicate(const CellKey* source, CellKey* target)
{
    const std::int32_t w1 = source->word1;
    const std::int32_t w2 = source->word2;
    target->word1 = w1;
    target->word2 = w2;
}
