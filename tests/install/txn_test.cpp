// The payload installed as one step: a fault at every file operation of a
// 5-file upgrade (the Nth write, rename or delete fails once, or the run is
// cut off there as by a kill) leaves the old installation or the new one,
// never a mix; the next run's clean-up leaves nothing else. This program
// puts its own WriteBlock, MoveName and DeleteName before the product's.
#include "copydlg.h"
#include "fileops.h"
#include "installtest.h"
#include "txn.h"
#include <gtest/gtest.h>
#include <map>

namespace {

int g_operations; // counted since the last reset
int g_failAt;     // 0: none fails
bool g_killed;    // from g_failAt on, nothing reaches the disk

bool Injected()
{
    ++g_operations;
    if (g_failAt == 0 || (g_killed ? g_operations < g_failAt : g_operations != g_failAt))
        return false;
    SetLastError(ERROR_WRITE_FAULT);
    return true;
}

} // namespace

int WriteBlock(HANDLE file, const void *data, DWORD size)
{
    DWORD written = 0;
    return !Injected() && WriteFile(file, data, size, &written, NULL) && written == size;
}

int MoveName(const char *from, const char *to)
{
    return !Injected() && MoveFileA(from, to);
}

int DeleteName(const char *path)
{
    if (Injected())
        return 0;
    SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    return DeleteFileA(path) || GetLastError() == ERROR_FILE_NOT_FOUND;
}

namespace {

typedef std::map<std::string, std::string> Files;

Files ReadDir(const std::string &dir)
{
    Files files;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((dir + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return files;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            ReadBytes(dir + found.cFileName, &files[found.cFileName]);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return files;
}

Files WithoutTemporary(Files files)
{
    for (auto f = files.begin(); f != files.end();)
        f = f->first.compare(0, 3, MCF_RESERVED_PREFIX) == 0 ? files.erase(f) : std::next(f);
    return files;
}

std::string Names(const Files &files)
{
    std::string names;
    for (const auto &f : files)
        names += f.first + " ";
    return names;
}

// The old installation (one of its files read-only, one not in the new
// payload) and the new payload: three files replaced, one added, one kept.
const Files kOld = {{"Korvu72.exe", "old program"},
                    {"Readme.txt", "old readme"},
                    {"Ledger.kdb", "the user's ledger"},
                    {"Help.htm", "old help"},
                    {"Reports.dll", "old reports"}};

Files NewFiles()
{
    return {{"Korvu72.exe", SampleData(90000, 1)},
            {"Readme.txt", "new readme"},
            {"Help.htm", SampleData(7000, 2)},
            {"Reports.dll", SampleData(150000, 3)},
            {"Forms.dat", SampleData(3000, 4)}};
}

Files Expected(const Files &payload)
{
    Files files = kOld;
    for (const auto &f : payload)
        files[f.first] = f.second;
    return files;
}

struct Outcome {
    int result;
    Files after;     // right after the failed (or cut-off) run
    Files recovered; // after the next run's clean-up
};

Outcome RunWithFault(const std::string &dir, const Bytes &container, int failAt, bool killed)
{
    RemoveTree(dir);
    CreateDirectoryA(dir.c_str(), NULL);
    for (const auto &f : kOld)
        WriteBytes(dir + f.first, f.second);
    SetFileAttributesA((dir + "Help.htm").c_str(), FILE_ATTRIBUTE_READONLY);
    SetupOptions options = MakeOptions(dir, dir + "Data", dir);
    CopyDialog windows = OpenCopyDialog(&options);
    BoxLog boxes;
    StartBoxLog(&boxes);
    const FILETIME stamp = {0x12345600u, 0x01D00000u};
    g_operations = 0;
    g_failAt = failAt;
    g_killed = killed;
    Outcome outcome;
    outcome.result = ExpandContainer(windows.dialog, GetDlgItem(windows.dialog, 1024),
                                     container.data(), (uint32_t)container.size(), &stamp);
    g_failAt = 0;
    StopBoxLog(&boxes);
    CloseCopyDialog(&windows);
    outcome.after = ReadDir(dir);
    FinishInterruptedRun(dir.c_str());
    outcome.recovered = ReadDir(dir);
    return outcome;
}

} // namespace

TEST(Transaction, AFaultAtAnyFileStepLeavesOldOrNewNeverAMix)
{
    InitInstallTests();
    std::string dir = ScratchDir("txn");
    Files payload = NewFiles();
    Bytes container = NewContainer();
    for (const char *name : {"Korvu72.exe", "Readme.txt", "Help.htm", "Reports.dll", "Forms.dat"})
        AddRecord(&container, name, payload[name]);
    const Files oldFiles = kOld, newFiles = Expected(payload);

    Outcome clean = RunWithFault(dir, container, 0, false);
    ASSERT_EQ(1, clean.result);
    ASSERT_TRUE(newFiles == clean.after) << Names(clean.after);
    int steps = g_operations;
    ASSERT_GE(steps, 5 + 4 + 4 + 5) << "writes, backups, renames, deletes";

    int sawOld = 0, sawNew = 0;
    for (bool killed : {false, true})
        for (int n = 1; n <= steps; n++) {
            Outcome o = RunWithFault(dir, container, n, killed);
            std::string step = (killed ? "cut off at step " : "step ") + std::to_string(n) +
                               " of " + std::to_string(steps) + ": ";
            bool isOld = o.recovered == oldFiles, isNew = o.recovered == newFiles;
            EXPECT_TRUE(isOld || isNew) << step << Names(o.recovered);
            // A single fault: the run itself undoes (or, where undoing
            // fails, completes) it; only a temporary file whose deletion
            // failed may wait for the next run.
            if (!killed) {
                Files after = WithoutTemporary(o.after);
                EXPECT_TRUE(after == newFiles || (o.result == 0 && after == oldFiles))
                    << step << "result " << o.result << ", " << Names(o.after);
            }
            sawOld += isOld;
            sawNew += isNew;
        }
    EXPECT_GT(sawOld, 0);
    EXPECT_GT(sawNew, 0);
    RemoveTree(dir);
}
