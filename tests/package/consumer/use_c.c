/* A C program using the installed library: a key, its level and its
 * coordinates, and the version macros. */
#include <cellkeys.h>
#include <stdio.h>
#include <string.h>

int main(int argc, char** argv)
{
    CellKey key;
    int32_t level = 3, i = 5, j = 3, k = 6, got = 0;
    ck_fill_tables();
    ck_from_ijk(&key, &level, &i, &j, &k);
    ck_get_level(&key, &got);
    if (key.word1 != 245 || key.word2 != 100663296 || got != 3) {
        fprintf(stderr, "use_c: wrong key (%d, %d) level %d\n", key.word1, key.word2, got);
        return 1;
    }
    /* The version the consumer was told to expect, if any. */
    if (argc > 1 && strcmp(argv[1], CELLKEYS_VERSION_STRING) != 0) {
        fprintf(stderr, "use_c: header version %s, package version %s\n", CELLKEYS_VERSION_STRING,
                argv[1]);
        return 1;
    }
    return 0;
}
