/* The public header compiled as C: the key type's layout and the table are
 * reachable by name, and a key routine links from C. */
#include "cellkeys.h"

#include <stddef.h>
#include <stdio.h>

_Static_assert(sizeof(CellKey) == 8, "two adjacent words");
_Static_assert(offsetof(CellKey, word2) == 4, "word 2 right after word 1");

int main(void)
{
    ck_fill_tables();
    CellKey key;
    const int32_t level = 3, i = 5, j = 3, k = 6;
    ck_from_ijk(&key, &level, &i, &j, &k);
    if (key.word1 != 245 || key.word2 != 100663296 || ck_tables[25] != 33554432) {
        fprintf(stderr, "C caller got (%d, %d)\n", (int)key.word1, (int)key.word2);
        return 1;
    }
    return 0;
}
