#include "cellkeys.h"

extern "C" void ck_clear(CellKey* key)
{
    key->word1 = 0;
    key->word2 = 0;
}
