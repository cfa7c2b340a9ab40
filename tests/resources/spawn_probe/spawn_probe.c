/* A program for tests of program spawning: writes each argument after the
 * first to the file the first names, every argument followed by a NUL byte,
 * so that a test reads back exactly the argument vector the program was
 * given. Exits 0, or 2 when the file cannot be written; the environment
 * variable SPAWN_PROBE_EXIT overrides the exit status after writing. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int main(int argc, char **argv)
{
    if (argc < 2)
        return 2;
    FILE *out = fopen(argv[1], "wb");
    if (!out)
        return 2;
    for (int i = 2; i < argc; ++i)
        fwrite(argv[i], 1, strlen(argv[i]) + 1, out);
    if (fclose(out) != 0)
        return 2;
    const char *status = getenv("SPAWN_PROBE_EXIT");
    return status ? atoi(status) : 0;
}
