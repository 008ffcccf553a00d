// What a run must leave: the payload's files, the shortcuts of each family,
// Korvu.ini; and the whole fresh installation that the scenarios build on.
#include "scenario.h"

#include <algorithm>

using namespace e2e;

void E2E::ExpectPayloadInstalled(const std::string &app, const std::string &setupExe,
                                 const std::vector<std::string> &names)
{
    FILETIME setupTime;
    ASSERT_TRUE(LastWrite(setupExe, &setupTime)) << setupExe;
    for (const std::string &name : names) {
        std::string installed = app + "\\" + name;
        bool ok = false;
        std::string got = ReadBytes(installed, &ok);
        std::string want = ReadBytes(ExpectedDir() + name);
        EXPECT_TRUE(ok) << installed << " missing";
        EXPECT_TRUE(got == want) << installed << ": " << got.size() << " bytes, the original "
                                 << want.size() << ", contents differ";
        FILETIME time;
        if (ok && LastWrite(installed, &time)) {
            EXPECT_EQ(0, CompareFileTime(&time, &setupTime))
                << installed << " written " << TimeText(time) << ", setup.exe "
                << TimeText(setupTime);
        }
    }
}

void E2E::ExpectShortcuts(const std::string &app, const Family &family)
{
    std::string group = SpecialFolder(family.programs) + "\\Korvu ark 7.2";
    struct Want {
        std::string link;
        std::string target;
        bool present;
    };
    std::vector<Want> wants = {
        {group + "\\Korvu 7.2.lnk", app + "\\Korvu72.exe", true},
        // The help file is not in the payload: its shortcut only when it is there.
        {group + "\\KorvuReference.lnk", app + "\\KorvuRef.chm",
         FileExists(app + "\\KorvuRef.chm")},
    };
    if (family.desktop >= 0)
        wants.push_back(
            {SpecialFolder(family.desktop) + "\\Korvu 7.2.lnk", app + "\\Korvu72.exe", true});
    else
        EXPECT_FALSE(FileExists(SpecialFolder(CSIDL_DESKTOPDIRECTORY) + "\\Korvu 7.2.lnk"));
    for (const Want &want : wants) {
        if (!want.present) {
            EXPECT_FALSE(FileExists(want.link))
                << want.link << " made although its target is missing";
            continue;
        }
        Link link = ReadLink(want.link);
        EXPECT_TRUE(link.loaded) << want.link << ": " << link.error;
        EXPECT_EQ(want.target, link.target) << want.link;
        EXPECT_EQ(app, link.workDir) << want.link;
    }
    // The other family's folders stay as they were.
    EXPECT_FALSE(DirExists(SpecialFolder(family.otherPrograms) + "\\Korvu ark 7.2"))
        << SpecialFolder(family.otherPrograms);
    EXPECT_FALSE(FileExists(SpecialFolder(family.otherDesktop) + "\\Korvu 7.2.lnk"))
        << SpecialFolder(family.otherDesktop);
}

void E2E::ExpectNoShortcuts()
{
    for (int csidl : {CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS})
        EXPECT_FALSE(DirExists(SpecialFolder(csidl) + "\\Korvu ark 7.2")) << SpecialFolder(csidl);
    for (int csidl : {CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_DESKTOPDIRECTORY})
        EXPECT_FALSE(FileExists(SpecialFolder(csidl) + "\\Korvu 7.2.lnk")) << SpecialFolder(csidl);
}

void E2E::ExpectPreviousGone(const std::string &app, const std::string &oldGroup)
{
    EXPECT_FALSE(FileExists(app + "\\Korvu63.exe"));
    EXPECT_FALSE(DirExists(oldGroup))
        << "old group still there holding " << Listing(ListDir(oldGroup));
}

void E2E::ExpectIni(const std::string &app, const std::vector<std::string> &lines,
                    const std::string &data, const std::string &config,
                    const std::string &wineBytes)
{
    std::string path = app + "\\Korvu.ini";
    bool ok = false;
    std::string bytes = ReadBytes(path, &ok);
    ASSERT_TRUE(ok) << path << " missing";
    // Through the profile functions, as the application reads it.
    EXPECT_EQ(data, ProfileValue(path, "Korvu", "Data"));
    EXPECT_EQ(config, ProfileValue(path, "Korvu", "Config"));
    // Keys, comments and their order, on Windows and Wine alike (see ProfileLines).
    std::vector<std::string> got = ProfileLines(bytes);
    EXPECT_TRUE(lines == got) << "Korvu.ini as the profile functions see it:\n"
                              << Join(got) << "expected:\n"
                              << Join(lines);
    EXPECT_TRUE(AllLinesEndCrLf(bytes)) << "a line of Korvu.ini does not end with CR LF:\n"
                                        << bytes;
    // Byte for byte, as Wine's profile functions write (Windows keeps the
    // template's blank lines and blanks, which Wine drops).
    if (RunningOnWine()) {
        EXPECT_TRUE(wineBytes == bytes) << "Korvu.ini on Wine:\n"
                                        << bytes << "expected:\n"
                                        << wineBytes;
    }
}

void E2E::FreshInstall(const std::string &version, const Family &family, const std::string &shots,
                       By finishBy)
{
    StartSetup(SetupExe(), version);
    HWND dialog = WaitForSetupDialog();
    ASSERT_TRUE(dialog);
    ExpectBoxes(dialog, "New Installation", "C:\\Korvu", "C:\\Korvu\\Data", "C:\\Korvu");
    // The folder browser buttons are off on NT before 4.0 only.
    bool browsers = version != "nt351";
    EXPECT_EQ(browsers, IsWindowEnabled(GetDlgItem(dialog, kChangeApp)) != FALSE) << version;
    EXPECT_EQ(browsers, IsWindowEnabled(GetDlgItem(dialog, kChangeData)) != FALSE) << version;
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, kChangeConfig))) << version;
    Settle(dialog);
    Shot(shots + "-1-setup-dialog");

    closeGroupWindows_ = family.desktop < 0;
    RunSeen seen = Install(dialog, shots);
    EXPECT_TRUE(seen.copyDialog) << "the copy dialog was not seen";
    EXPECT_EQ(kCaption, seen.copyCaption);
    EXPECT_EQ("Copying Files.......", seen.copyingText);
    EXPECT_EQ(0u, seen.fileLabel.rfind("C:\\Korvu\\", 0)) << seen.fileLabel;
    ASSERT_FALSE(seen.box) << "message box during the run: "
                           << WindowTextNoWait(GetDlgItem(seen.box, kBoxText));
    FinishWithOk(seen.finish, shots, finishBy);

    std::vector<std::string> names = ExpectedNames();
    ExpectPayloadInstalled("C:\\Korvu", SetupExe(), names);
    std::vector<std::string> want = names;
    want.push_back("Data");
    want.push_back("Korvu.ini");
    // The uninstaller and its record of what this installation made.
    want.push_back("Uninst72.dat");
    want.push_back("Uninst72.exe");
    std::sort(want.begin(), want.end());
    EXPECT_EQ(Listing(want), Listing(ListDir("C:\\Korvu")));
    EXPECT_TRUE(DirExists("C:\\Korvu\\Data"));
    std::vector<std::string> lines = TemplateLines("C:\\Korvu\\Data", "C:\\Korvu");
    ExpectIni("C:\\Korvu", lines, "C:\\Korvu\\Data", "C:\\Korvu", CrLfLines(lines));
    ExpectShortcuts("C:\\Korvu", family);
}
