// Program Manager's program groups, through its DDE conversation (service
// and topic "PROGMAN"). Windows NT before 4.0 has no Start-menu folders:
// its shell is Program Manager, and this is the only way to make a group
// there. DDEML is part of user32 on every 32-bit Windows.
//
// Every routine returns 0 when done, or the status that stopped it: a
// DDEML error (DMLERR_*, from DdeGetLastError), or
// ERROR_FILENAME_EXCED_RANGE when a command would not fit its buffer (it
// is refused, never cut).
#pragma once
#include <windows.h>

#include <ddeml.h>

struct ProgmanConversation {
    DWORD instance;     // DDEML instance, 0 when none
    HCONV conversation; // NULL when Program Manager did not answer
};

// Starts DDEML as a client and connects to Program Manager. Close the
// conversation afterwards whatever this returned.
UINT ProgmanOpen(ProgmanConversation *progman);
// Joins the pieces (a NULL-terminated list) into one command string, such
// as "[DeleteGroup(" group ")]", and sends it; 0 when Program Manager
// carried it out.
UINT ProgmanCommand(const ProgmanConversation *progman, const char *const *pieces);
// Ends the conversation and the DDEML instance; nothing to do after a
// failed ProgmanOpen is fine too.
void ProgmanClose(ProgmanConversation *progman);

// [CreateGroup(group)][ShowGroup(group,8)]: the group made (or found) and
// its window shown without taking the foreground; AddItem adds to it from
// then on.
UINT ProgmanCreateGroup(const ProgmanConversation *progman, const char *group);
// [AddItem("program",name,,,,,"directory")] into the group made or shown
// last: the icon is the program's own, the place Program Manager's choice.
UINT ProgmanAddItem(const ProgmanConversation *progman, const char *program, const char *name,
                    const char *directory);
// [DeleteGroup(group)]: the group and all its items.
UINT ProgmanDeleteGroup(const ProgmanConversation *progman, const char *group);
