// The command line of setup.exe (and of the uninstaller): switches that
// start with a slash, in any order and any case, separated by blanks.
// Portable: no <windows.h>.
//
//   /S               silent
//   /D=DIR           application directory
//   /DATA=DIR        data directory
//   /CONFIG=DIR      configuration directory
//   /LOG=FILE        log, appended
//   /?               usage
//
// and the uninstaller's own two runs, which setup.exe and the uninstaller
// start themselves:
//
//   /REGISTER        make the entry in the list of installed programs
//   /CLEANUP=HANDLE /PROGRAM=FILE [/D=DIR]
//                    the self-removal copy: wait for the process, delete
//                    the file, then the directory if it is empty
//
// A double quote starts or ends a quoted stretch anywhere in a switch, so
// /D="C:\Program Files\Korvu" and "/D=C:\Program Files\Korvu" are the same;
// the quotes themselves are dropped. A backslash is an ordinary character
// (a directory may end with one right before the closing quote).
#pragma once

#define CMDLINE_VALUE_SIZE 260 // each value with its terminator

enum {
    SWITCH_SILENT = 0x01,
    SWITCH_DIR = 0x02,
    SWITCH_DATA = 0x04,
    SWITCH_CONFIG = 0x08,
    SWITCH_LOG = 0x10,
    SWITCH_HELP = 0x20,
    SWITCH_REGISTER = 0x40,
    SWITCH_CLEANUP = 0x80,
    SWITCH_PROGRAM = 0x100
};
// What setup.exe takes, and what the uninstaller takes.
#define SETUP_SWITCHES \
    (SWITCH_SILENT | SWITCH_DIR | SWITCH_DATA | SWITCH_CONFIG | SWITCH_LOG | SWITCH_HELP)
#define UNINSTALL_SWITCHES (SWITCH_SILENT | SWITCH_LOG | SWITCH_HELP)
// Earlier versions of setup.exe added /S to /REGISTER.
#define REGISTER_SWITCHES (SWITCH_REGISTER | SWITCH_SILENT)
#define CLEANUP_SWITCHES (SWITCH_CLEANUP | SWITCH_PROGRAM | SWITCH_DIR)

struct CommandLine {
    unsigned given;               // the SWITCH_ flags of the switches present
    char dir[CMDLINE_VALUE_SIZE]; // values of the switches given, else empty
    char data[CMDLINE_VALUE_SIZE];
    char config[CMDLINE_VALUE_SIZE];
    char log[CMDLINE_VALUE_SIZE];
    char cleanup[CMDLINE_VALUE_SIZE];
    char program[CMDLINE_VALUE_SIZE];
};

// Parses `line` (the arguments without the program's name). Returns 1 when
// every word is a switch of `accepted`, given once, a value switch with a
// value of 1 to 259 characters and every quote closed; 0 otherwise (a usage
// error). Even then out->given holds every well-formed switch of the line,
// so that a /S among them keeps the usage error silent; the values are not
// to be used then.
int ParseCommandLine(const char *line, unsigned accepted, CommandLine *out);
