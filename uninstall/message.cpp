// The question before and the one message after the removal, and the
// failures it names.
#include "log.h"
#include "textbuf.h"
#include "uninstall.h"
#include "uninstinfo.h"

// Appends the texts in turn; whatever does not fit is left out whole.
static void Add(char *text, size_t size, const char *a, const char *b = "", const char *c = "")
{
    AppendText(text, size, a);
    AppendText(text, size, b);
    AppendText(text, size, c);
}

static void AddKept(const Record *record, char *text, size_t size)
{
    Add(text, size, "Your data in ", record->data, " and the configuration in ");
    Add(text, size, record->config, " are kept.");
}

void ComposeQuestion(const Record *record, char *text, size_t size)
{
    text[0] = '\0';
    Add(text, size, "Remove Korvu ark 7.2 and its shortcuts from this computer? ");
    AddKept(record, text, size);
}

// "3 files", "1 shortcut".
static void FormatCount(char *out, int count, const char *one, const char *many)
{
    FormatUnsigned(out, (unsigned int)count);
    AppendText(out, 48, count == 1 ? one : many);
}

void ComposeResult(const Record *record, const Removal *removal, char *text, size_t size)
{
    text[0] = '\0';
    Add(text, size, "Korvu ark 7.2 has been removed from this computer",
        removal->failures ? ", except for what is named below." : ".");

    // The things removed, as "a, b and c".
    char counts[2][48];
    const char *items[4];
    int n = 0;
    if (removal->files) {
        FormatCount(counts[0], removal->files, " file", " files");
        items[n++] = counts[0];
    }
    if (removal->links) {
        FormatCount(counts[1], removal->links, " shortcut", " shortcuts");
        items[n++] = counts[1];
    }
    if (removal->groups)
        items[n++] = "the program group";
    if (removal->registered)
        items[n++] = "the entry in the list of installed programs";
    for (int i = 0; i < n; i++)
        Add(text, size,
            i == 0       ? "\n\nRemoved: "
            : i + 1 == n ? " and "
                         : ", ",
            items[i], i + 1 == n ? "." : "");

    if (removal->failures) {
        Add(text, size, "\n\nCould not be removed:");
        int named = removal->failures < NAMED_FAILURES ? removal->failures : NAMED_FAILURES;
        for (int i = 0; i < named; i++)
            Add(text, size, "\n", removal->failed[i]);
        if (removal->failures > named) {
            char more[16];
            Add(text, size, "\nand ",
                FormatUnsigned(more, (unsigned int)(removal->failures - named)), " more.");
        }
        Add(text, size, "\nClose the programs that use them and delete them by hand.");
    }
    if (removal->ignored)
        Add(text, size,
            "\n\nLines of " UNINSTALL_RECORD " that the installation did not write "
            "were ignored.");
    Add(text, size, "\n\n");
    AddKept(record, text, size);
}

void NoteFailure(Removal *removal, const char *what, DWORD status)
{
    char number[12];
    char statusText[24] = " (Status:";
    FormatUnsigned(number, (unsigned int)status);
    AppendText(statusText, sizeof statusText, number);
    AppendText(statusText, sizeof statusText, ")");
    LogLine("Error - Unable to remove ", what, statusText);
    if (removal->failures < NAMED_FAILURES) {
        char *text = removal->failed[removal->failures];
        const char *reason = ", status ";
        if (status == ERROR_SHARING_VIOLATION || status == ERROR_LOCK_VIOLATION)
            reason = " (in use)";
        else if (status == ERROR_ACCESS_DENIED)
            reason = " (access denied)";
        // FAILURE_TEXT holds the longest name (MAX_PATH) and reason.
        CopyText(text, FAILURE_TEXT, what);
        AppendText(text, FAILURE_TEXT, reason);
        if (reason[0] == ',')
            AppendText(text, FAILURE_TEXT, number);
    }
    removal->failures++;
}
