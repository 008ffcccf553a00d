// The conversation with Program Manager and the three group commands.
// Paths go in double quotes, so that a blank, a comma or a parenthesis in
// them is not taken for the command's syntax; the fixed names need none.
#include "progman.h"
#include "textbuf.h"

// The longest command, AddItem, carries two paths of up to MAX_PATH - 1
// characters besides its fixed text and the item's name.
#define COMMAND_SIZE (2 * MAX_PATH + 64)

// A client makes no transactions of its own to answer.
static HDDEDATA CALLBACK ProgmanCallback(UINT type, UINT format, HCONV conversation, HSZ topic,
                                         HSZ item, HDDEDATA data, ULONG_PTR data1, ULONG_PTR data2)
{
    (void)type, (void)format, (void)conversation, (void)topic;
    (void)item, (void)data, (void)data1, (void)data2;
    return NULL;
}

UINT ProgmanOpen(ProgmanConversation *progman)
{
    progman->instance = 0;
    progman->conversation = NULL;
    // A failed start leaves the instance 0.
    UINT status = DdeInitializeA(&progman->instance, ProgmanCallback, APPCMD_CLIENTONLY, 0);
    if (status != DMLERR_NO_ERROR)
        return status;
    // Service and topic have the same name. The string handle is the
    // instance's until DdeUninitialize, which frees all its resources.
    HSZ name = DdeCreateStringHandleA(progman->instance, "PROGMAN", CP_WINANSI);
    if (name)
        progman->conversation = DdeConnect(progman->instance, name, name, NULL);
    return progman->conversation ? 0 : DdeGetLastError(progman->instance);
}

void ProgmanClose(ProgmanConversation *progman)
{
    if (progman->conversation)
        DdeDisconnect(progman->conversation);
    if (progman->instance)
        DdeUninitialize(progman->instance);
    progman->conversation = NULL;
    progman->instance = 0;
}

UINT ProgmanCommand(const ProgmanConversation *progman, const char *const *pieces)
{
    char command[COMMAND_SIZE];
    command[0] = '\0';
    for (; *pieces; pieces++)
        if (!AppendText(command, sizeof command, *pieces))
            return ERROR_FILENAME_EXCED_RANGE;
    // Program Manager may take a while to draw a new group's window.
    HDDEDATA done = DdeClientTransaction((LPBYTE)command, lstrlenA(command) + 1,
                                         progman->conversation, NULL, 0, XTYP_EXECUTE, 30000, NULL);
    return done ? 0 : DdeGetLastError(progman->instance);
}

UINT ProgmanCreateGroup(const ProgmanConversation *progman, const char *group)
{
    // Show command 8 (as SW_SHOWNA) shows the group without activating it:
    // setup's finish dialog, shown next, must stay in front for the user.
    const char *create[] = {"[CreateGroup(", group, ")][ShowGroup(", group, ",8)]", NULL};
    return ProgmanCommand(progman, create);
}

UINT ProgmanAddItem(const ProgmanConversation *progman, const char *program, const char *name,
                    const char *directory)
{
    // Command line, name, icon path, icon index, x, y, working directory.
    const char *add[] = {"[AddItem(\"", program, "\",", name, ",,,,,\"", directory, "\")]", NULL};
    return ProgmanCommand(progman, add);
}

UINT ProgmanDeleteGroup(const ProgmanConversation *progman, const char *group)
{
    const char *remove[] = {"[DeleteGroup(", group, ")]", NULL};
    return ProgmanCommand(progman, remove);
}
