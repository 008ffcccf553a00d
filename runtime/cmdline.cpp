#include "cmdline.h"
#include <stddef.h>
#include <string.h>

namespace {

struct SwitchDef {
    const char *name; // after the slash; a value switch ends with '='
    unsigned flag;
    size_t value; // offset of its value in CommandLine; 0: none
};

const SwitchDef kSwitches[] = {
    {"S", SWITCH_SILENT, 0},
    {"D=", SWITCH_DIR, offsetof(CommandLine, dir)},
    {"DATA=", SWITCH_DATA, offsetof(CommandLine, data)},
    {"CONFIG=", SWITCH_CONFIG, offsetof(CommandLine, config)},
    {"LOG=", SWITCH_LOG, offsetof(CommandLine, log)},
    {"?", SWITCH_HELP, 0},
    {"REGISTER", SWITCH_REGISTER, 0},
    {"CLEANUP=", SWITCH_CLEANUP, offsetof(CommandLine, cleanup)},
    {"PROGRAM=", SWITCH_PROGRAM, offsetof(CommandLine, program)},
};

// Longest word: "/PROGRAM=" and a whole value.
const size_t kWordSize = 9 + CMDLINE_VALUE_SIZE;

int IsBlankChar(char c)
{
    return c == ' ' || c == '\t';
}

char UpperAscii(char c)
{
    return c >= 'a' && c <= 'z' ? (char)(c - 'a' + 'A') : c;
}

// One word into `word` (quotes dropped); the position after it. *ok
// becomes 0 when a quote is left open or the word does not fit.
const char *ReadWord(const char *p, char *word, int *ok)
{
    size_t n = 0;
    int quoted = 0;
    for (; *p && (quoted || !IsBlankChar(*p)); p++) {
        if (*p == '"')
            quoted = !quoted;
        else if (n + 1 < kWordSize)
            word[n++] = *p;
        else
            *ok = 0;
    }
    word[n] = '\0';
    if (quoted)
        *ok = 0;
    return p;
}

// The switch the word names, with *value at what follows its '='.
const SwitchDef *MatchSwitch(const char *word, unsigned accepted, const char **value)
{
    if (word[0] != '/')
        return NULL;
    for (const SwitchDef &def : kSwitches) {
        if (!(accepted & def.flag))
            continue;
        const char *w = word + 1;
        const char *name = def.name;
        while (*name && UpperAscii(*w) == *name) {
            w++;
            name++;
        }
        // A flag switch is the whole word; a value switch its beginning.
        if (*name == '\0' && (def.value != 0 || *w == '\0')) {
            *value = w;
            return &def;
        }
    }
    return NULL;
}

} // namespace

// Every word is read, also after a wrong one, so that the caller learns of
// a /S anywhere on a line it refuses (and stays silent).
int ParseCommandLine(const char *line, unsigned accepted, CommandLine *out)
{
    memset(out, 0, sizeof *out);
    char word[kWordSize];
    int ok = 1;
    for (;;) {
        while (IsBlankChar(*line))
            line++;
        if (*line == '\0')
            return ok;
        int wordOk = 1;
        line = ReadWord(line, word, &wordOk);
        const char *value = NULL;
        const SwitchDef *def = MatchSwitch(word, accepted, &value);
        size_t n = value ? strlen(value) : 0;
        if (!wordOk || !def || (out->given & def->flag) ||
            (def->value != 0 && (n == 0 || n >= CMDLINE_VALUE_SIZE))) {
            ok = 0;
            continue;
        }
        out->given |= def->flag;
        if (def->value != 0)
            memcpy((char *)out + def->value, value, n + 1);
    }
}
