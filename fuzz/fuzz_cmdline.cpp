// The command line of setup.exe and the uninstaller: any bytes, with either
// set of switches. A parsed line must hold only accepted switches and
// terminated values that fit their fields.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "cmdline.h"

static void Check(const char *line, unsigned accepted)
{
    CommandLine c;
    if (!ParseCommandLine(line, accepted, &c))
        return;
    if (c.given & ~accepted)
        abort();
    const char *values[] = {c.dir, c.data, c.config, c.log};
    const unsigned flags[] = {SWITCH_DIR, SWITCH_DATA, SWITCH_CONFIG, SWITCH_LOG};
    for (int i = 0; i < 4; i++) {
        size_t n = strnlen(values[i], CMDLINE_VALUE_SIZE);
        if (n == CMDLINE_VALUE_SIZE || (n > 0) != ((c.given & flags[i]) != 0))
            abort();
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    char *line = (char *)malloc(size + 1);
    memcpy(line, data, size);
    line[size] = '\0'; // the command line is a C string: a NUL ends it
    Check(line, SETUP_SWITCHES);
    Check(line, UNINSTALL_SWITCHES);
    free(line);
    return 0;
}
