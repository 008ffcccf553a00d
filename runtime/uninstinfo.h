// What setup.exe leaves for Korvu ark 7.2's removal, shared by setup.exe,
// which writes it, and Uninst72.exe, which reads it: the file names in the
// application directory, the record's line kinds and the registration.
#pragma once

// The uninstaller and the record of what the installation made, both in
// the application directory.
#define UNINSTALL_EXE "Uninst72.exe"
#define UNINSTALL_RECORD "Uninst72.dat"
// The configuration file, in the application, data and configuration
// directories.
#define KORVU_INI "Korvu.ini"
// The section of Korvu.ini that holds the directories setup owns.
#define KORVU_SECTION "Korvu"

// One line per thing made, "Kind=value", in the order it was made. Each
// kind brings the line break before it: the record starts with an empty
// line and its last line has none (that keeps setup.exe a little smaller).
#define RECORD_FILE "\nFile="       // a file written into the application directory
#define RECORD_GROUP "\nGroup="     // the group folder in the Start menu, full path
#define RECORD_LINK "\nLink="       // a shortcut, full path
#define RECORD_PROGMAN "\nProgman=" // a Program Manager group (NT before 4.0)
#define RECORD_KEY "\nKey="         // the key under UNINSTALL_ROOT

// The Start menu's program group (a Program Manager group on NT before
// 4.0) and the shortcuts setup.exe makes: both in the group, the first
// also on the desktop.
#define PROGRAM_GROUP "Korvu ark 7.2"
#define LINK_PROGRAM "\\Korvu 7.2.lnk"
#define LINK_REFERENCE "\\KorvuReference.lnk"

// The list of installed programs (Windows 95, NT 4.0 and later).
#define UNINSTALL_ROOT "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"
#define UNINSTALL_KEY "Korvu ark 7.2"
#define UNINSTALL_KEY_PATH UNINSTALL_ROOT "\\" UNINSTALL_KEY

// setup.exe runs the uninstaller with this switch at the end of the run:
// it makes the entry and adds RECORD_KEY to the record; its exit status
// is the registry's result.
#define REGISTER_SWITCH "/REGISTER"
#define UNINSTALL_REGISTER_MESSAGE \
    "Error - Unable to add Korvu ark 7.2 to the list of installed programs"
