// The shortcut steps when the shell has no allocator to give (a shell32
// without SHGetMalloc): each step reports it once, under the names of the
// failure tables, and makes or removes nothing. The program's own import of
// GetProcAddress is pointed at a lookup that does not find SHGetMalloc, and
// this program's ReportFailure records what it is given (the real one shows
// only the message and the status).
#include "desktop.h"
#include "installtest.h"
#include <gtest/gtest.h>
#include <string.h>

namespace {

struct Report {
    std::string message, function, call;
    int status;
};
std::vector<Report> g_reports;

typedef FARPROC(WINAPI *LookupFn)(HMODULE, LPCSTR);
LookupFn g_lookup;

FARPROC WINAPI LookupWithoutAllocator(HMODULE module, LPCSTR name)
{
    if (!IS_INTRESOURCE(name) && strcmp(name, "SHGetMalloc") == 0) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return NULL;
    }
    return g_lookup(module, name);
}

// The slot of this program's import address table that holds `name`.
FARPROC *ImportSlot(const char *name)
{
    BYTE *base = (BYTE *)GetModuleHandleA(NULL);
    IMAGE_NT_HEADERS *nt = (IMAGE_NT_HEADERS *)(base + ((IMAGE_DOS_HEADER *)base)->e_lfanew);
    DWORD rva = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    for (IMAGE_IMPORT_DESCRIPTOR *dll = (IMAGE_IMPORT_DESCRIPTOR *)(base + rva); dll->Name; dll++) {
        IMAGE_THUNK_DATA *names = (IMAGE_THUNK_DATA *)(base + dll->OriginalFirstThunk);
        FARPROC *slots = (FARPROC *)(base + dll->FirstThunk);
        for (int i = 0; names[i].u1.AddressOfData; i++) {
            if (IMAGE_SNAP_BY_ORDINAL(names[i].u1.Ordinal))
                continue;
            IMAGE_IMPORT_BY_NAME *entry =
                (IMAGE_IMPORT_BY_NAME *)(base + names[i].u1.AddressOfData);
            if (strcmp((const char *)entry->Name, name) == 0)
                return &slots[i];
        }
    }
    return NULL;
}

void SetSlot(FARPROC *slot, FARPROC value)
{
    DWORD old;
    VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old);
    *slot = value;
    VirtualProtect(slot, sizeof *slot, old, &old);
}

class ShellAllocatorMissing : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitInstallTests();
        dir = ScratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
        CleanShellFolders();
        slot = ImportSlot("GetProcAddress");
        ASSERT_TRUE(slot != NULL) << "this program imports GetProcAddress by name";
        g_lookup = (LookupFn)(void *)*slot;
        SetSlot(slot, (FARPROC)(void *)LookupWithoutAllocator);
        g_reports.clear();
    }
    void TearDown() override
    {
        if (slot)
            SetSlot(slot, (FARPROC)(void *)g_lookup);
        RemoveTree(dir);
        CleanShellFolders();
    }
    // Runs one step with the copy dialog as owner; its reports.
    std::vector<Report> Run(void (*step)(HWND, SetupOptions *), SetupOptions *options)
    {
        CopyDialog windows = OpenCopyDialog(options);
        g_reports.clear();
        step(windows.dialog, options);
        CloseCopyDialog(&windows);
        return g_reports;
    }
    std::string dir;
    FARPROC *slot = NULL;
};

} // namespace

int ReportFailure(HWND, const char *message, const char *function, const char *call, int status)
{
    g_reports.push_back({message, function, call, status});
    return IDOK;
}

TEST_F(ShellAllocatorMissing, EachShortcutStepReportsItOnceAndChangesNothing)
{
    ASSERT_TRUE(WriteBytes(dir + "Korvu72.exe", "program"));
    ASSERT_TRUE(WriteBytes(dir + "Korvu63.exe", "old program"));
    SetupOptions options = MakeOptions(dir, dir + "Data", dir);
    options.upgrade = 1;

    std::vector<Report> reports = Run(CreateShellGroupAndShortcut, &options);
    ASSERT_EQ(1u, reports.size());
    EXPECT_EQ("Error - Unable to allocate memory", reports[0].message);
    EXPECT_EQ("CreateShellGroupAndShortcut", reports[0].function);
    EXPECT_EQ("SHGetMalloc(&lpMalloc)", reports[0].call);
    EXPECT_EQ(ERROR_PROC_NOT_FOUND, reports[0].status);
    EXPECT_FALSE(Exists(FolderPath(ProgramsFolderId()) + "\\Korvu ark 7.2"));
    EXPECT_FALSE(Exists(FolderPath(DesktopFolderId()) + "\\Korvu 7.2.lnk"));

    reports = Run(RemoveOldShellGroupAndShortcut, &options);
    ASSERT_EQ(1u, reports.size());
    EXPECT_EQ("Error - Unable to allocate memory", reports[0].message);
    EXPECT_EQ("RemoveOldShellGroupAndShortcut", reports[0].function);
    EXPECT_EQ("SHGetMalloc(&lpMalloc)", reports[0].call);
    EXPECT_EQ(ERROR_PROC_NOT_FOUND, reports[0].status);
    EXPECT_TRUE(Exists(dir + "Korvu63.exe")) << "nothing is removed without the allocator";
}
