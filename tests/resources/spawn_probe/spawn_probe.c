/* A program for tests of program spawning: writes its arguments to a file,
 * every argument followed by a NUL byte, so that a test reads back exactly
 * the argument vector the program was given. The file is the one the
 * environment variable SPAWN_PROBE_OUT names, and then every argument is
 * written; without it, the first argument names the file and the others
 * are written. Exits 0, or 2 when the file cannot be written;
 * SPAWN_PROBE_EXIT overrides the exit status after writing. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int main(int argc, char **argv)
{
    const char *name = getenv("SPAWN_PROBE_OUT");
    int first = 1;
    if (!name || !*name) {
        if (argc < 2)
            return 2;
        name = argv[1];
        first = 2;
    }
    FILE *out = fopen(name, "wb");
    if (!out)
        return 2;
    for (int i = first; i < argc; ++i)
        fwrite(argv[i], 1, strlen(argv[i]) + 1, out);
    if (fclose(out) != 0)
        return 2;
    const char *status = getenv("SPAWN_PROBE_EXIT");
    return status ? atoi(status) : 0;
}
