/* The version macros of the C header equal the project's version. */
#include "cellkeys.h"

#include <stdio.h>
#include <string.h>

#define STR2(x) #x
#define STR(x) STR2(x)

int main(void)
{
    const char* joined =
        STR(CELLKEYS_VERSION_MAJOR) "." STR(CELLKEYS_VERSION_MINOR) "." STR(CELLKEYS_VERSION_PATCH);
    if (strcmp(CELLKEYS_VERSION_STRING, PROJECT_VERSION_TEXT) != 0 ||
        strcmp(joined, PROJECT_VERSION_TEXT) != 0) {
        fprintf(stderr, "header says %s (%s), project says %s\n", CELLKEYS_VERSION_STRING, joined,
                PROJECT_VERSION_TEXT);
        return 1;
    }
    return 0;
}
