// The desktop tests' shared helpers (desktoptest.h).
#include "desktoptest.h"

std::vector<std::string> Boxes(std::initializer_list<std::string> list)
{
    return std::vector<std::string>(list);
}

std::string Status(const char *message, int status)
{
    return std::string(message) + "\n\n(Status:" + std::to_string(status) + ")";
}

bool IsNtFamily()
{
    return g_osvi.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

std::string ProgramsFolder()
{
    return FolderPath(IsNtFamily() ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS);
}

std::string DesktopFolder()
{
    return FolderPath(IsNtFamily() ? CSIDL_COMMON_DESKTOPDIRECTORY : CSIDL_DESKTOPDIRECTORY);
}

std::string OtherProgramsFolder()
{
    return FolderPath(IsNtFamily() ? CSIDL_PROGRAMS : CSIDL_COMMON_PROGRAMS);
}

std::vector<std::string> RunShortcuts(SetupOptions *options, bool upgradeStep)
{
    CopyDialog windows = OpenCopyDialog(options);
    BoxLog boxes;
    StartBoxLog(&boxes);
    if (upgradeStep)
        RemoveOldShellGroupAndShortcut(windows.dialog, options);
    else
        CreateShellGroupAndShortcut(windows.dialog, options);
    std::vector<std::string> texts = StopBoxLog(&boxes);
    CloseCopyDialog(&windows);
    return texts;
}

void ExpectLink(const std::string &link, const std::string &target, const std::string &workdir)
{
    LinkInfo info = ReadLink(link);
    ASSERT_TRUE(info.loaded) << link << " missing or unreadable";
    EXPECT_STRCASEEQ(target.c_str(), info.target.c_str()) << link;
    EXPECT_STRCASEEQ(workdir.c_str(), info.workdir.c_str()) << link;
}

OldInstall MakeOldInstall(const std::string &app, const std::string &programs,
                          const std::string &desktop)
{
    OldInstall old;
    old.group = programs + "\\Korvu orb 6.3";
    old.groupLink = old.group + "\\Korvu 6.3.lnk";
    old.groupReference = old.group + "\\KorvuReference.lnk";
    old.desktopLink = desktop + "\\Korvu 6.3.lnk";
    old.program = app + "Korvu63.exe";
    CreateDirectoryA(old.group.c_str(), NULL);
    EXPECT_TRUE(WriteBytes(old.program, "old program"));
    EXPECT_TRUE(MakeLink(old.groupLink, old.program));
    EXPECT_TRUE(MakeLink(old.groupReference, app + "KorvuRef.chm"));
    EXPECT_TRUE(MakeLink(old.desktopLink, old.program));
    return old;
}
