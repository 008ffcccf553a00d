// The setup dialog's Install button: the completed paths stored, and the
// paths it refuses or cannot create, each with its message.
#include "dialogtest.h"

namespace {

TEST_F(SetupDialog, InstallStoresTheCompletedPaths)
{
    RemoveTree("C:\\Acct7");
    INT_PTR result = Run([&](HWND dialog) {
        EnterAppDir(dialog, "C:\\Acct7");
        TypeInto(dialog, IDC_EDT_DPATH, "Data");
        Click(dialog, IDC_BTN_INSTALL);
        EXPECT_EQ("C:\\Acct7", ControlText(dialog, IDC_EDT_APATH)) << "boxes keep their text";
        EXPECT_EQ("Data", ControlText(dialog, IDC_EDT_DPATH));
    });
    EXPECT_EQ(1, result) << MessagesOf(TakeSeen());
    EXPECT_STREQ("C:\\Acct7\\", options.app_path);
    EXPECT_STREQ("C:\\Acct7\\Data", options.data_path);
    EXPECT_STREQ("C:\\Acct7", options.config_path);
    EXPECT_TRUE(DirExists("C:\\Acct7\\Data"));
    RemoveTree("C:\\Acct7");
}

TEST_F(SetupDialog, InstallOntoExistingDirectoriesSucceeds)
{
    std::string app = kRoot + "\\There";
    FreshDir(app + "\\Data");
    FreshDir(kRoot + "\\Conf");
    SetPaths(app, app + "\\Data", app);
    INT_PTR result = Run([&](HWND dialog) {
        TypeInto(dialog, IDC_EDT_CPATH, kRoot + "\\Conf");
        Click(dialog, IDC_BTN_INSTALL);
    });
    EXPECT_EQ(1, result) << MessagesOf(TakeSeen());
    EXPECT_EQ(app + "\\", options.app_path);
    EXPECT_EQ(app + "\\Data", options.data_path);
    EXPECT_EQ(kRoot + "\\Conf", options.config_path);
}

TEST_F(SetupDialog, InvalidApplicationPathsAreRefusedAndCreateNothing)
{
    char cwd[MAX_PATH];
    GetCurrentDirectoryA(sizeof cwd, cwd);
    ASSERT_TRUE(SetCurrentDirectoryA(kRoot.c_str()));
    const char *invalid[] = {"1:\\Acct7", "C:\\sdtest\\dlg\\Acct7:x", ":", "Acct", "Acct\\Sub", ""};
    INT_PTR result = Run([&](HWND dialog) {
        for (const char *text : invalid) {
            EnterAppDir(dialog, text);
            Click(dialog, IDC_BTN_INSTALL);
            std::vector<SeenWindow> seen = TakeSeen();
            ASSERT_EQ(1u, seen.size()) << text << "\n" << MessagesOf(seen);
            EXPECT_EQ("Given application path is not valid", seen[0].text) << text;
            EXPECT_TRUE(seen[0].ownedByDialog);
            EXPECT_TRUE(IsWindowVisible(dialog)) << text;
        }
        EXPECT_EQ(0, EntriesIn(kRoot)) << "nothing may be created";
        Click(dialog, IDC_BTN_EXIT);
    });
    SetCurrentDirectoryA(cwd);
    EXPECT_EQ(2, result) << "Exit Setup after failed Installs";
    EXPECT_EQ(kRoot + "\\Korvu", options.app_path);
}

TEST_F(SetupDialog, ApplicationPathsLongerThan240CharactersAreRefused)
{
    // 240 characters in two levels (a level name has at most 255).
    std::string app = kRoot + "\\" + std::string(100, 'a') + "\\";
    app += std::string(240 - app.size(), 'b');
    ASSERT_EQ(240u, app.size());
    INT_PTR result = Run([&](HWND dialog) {
        EnterAppDir(dialog, app + "c");
        TypeInto(dialog, IDC_EDT_DPATH, "Data");
        Click(dialog, IDC_BTN_INSTALL);
        EXPECT_EQ("[box] Application path cannot be greater than 240 characters.\n",
                  MessagesOf(TakeSeen()));
        EXPECT_EQ(0, EntriesIn(kRoot));

        EnterAppDir(dialog, app);
        Click(dialog, IDC_BTN_INSTALL);
    });
    EXPECT_EQ(1, result) << MessagesOf(TakeSeen());
    EXPECT_EQ(app + "\\", options.app_path);
    EXPECT_EQ(app + "\\Data", options.data_path);
    EXPECT_EQ(app, options.config_path);
    EXPECT_TRUE(DirExists(app + "\\Data"));
}

// The box takes 259 characters; a text of that length has no room for the
// backslash that completing it adds, yet its fault is its length.
TEST_F(SetupDialog, TooLongApplicationPathsAreToldTheirLengthUpToTheBoxsLimit)
{
    std::string level = kRoot + "\\" + std::string(100, 'a') + "\\";
    INT_PTR result = Run([&](HWND dialog) {
        for (size_t length : {241u, 258u, 259u}) {
            std::string app = level + std::string(length - level.size(), 'b');
            ASSERT_EQ(length, app.size());
            EnterAppDir(dialog, app);
            Click(dialog, IDC_BTN_INSTALL);
            EXPECT_EQ("[box] Application path cannot be greater than 240 characters.\n",
                      MessagesOf(TakeSeen()))
                << length << " characters";
        }
        EXPECT_EQ(0, EntriesIn(kRoot)) << "nothing may be created";
        Click(dialog, IDC_BTN_EXIT);
    });
    EXPECT_EQ(2, result);
}

TEST_F(SetupDialog, InvalidDataAndConfigurationPathsAreRefused)
{
    std::string app = kRoot + "\\Acct7";
    Run([&](HWND dialog) {
        EnterAppDir(dialog, app);
        TypeInto(dialog, IDC_EDT_DPATH, "1:x");
        Click(dialog, IDC_BTN_INSTALL);
        EXPECT_EQ("[box] Given data path is not valid\n", MessagesOf(TakeSeen()));
        EXPECT_EQ(app + "\\", options.app_path) << "the application step stays done";
        EXPECT_TRUE(DirExists(app));

        TypeInto(dialog, IDC_EDT_DPATH, "Data");
        TypeInto(dialog, IDC_EDT_CPATH, "C:x:y");
        Click(dialog, IDC_BTN_INSTALL);
        EXPECT_EQ("[box] Given configarutation path is not valid\n", MessagesOf(TakeSeen()));
        EXPECT_EQ(app + "\\Data", options.data_path);
        EXPECT_TRUE(IsWindowVisible(dialog));
    });
}

TEST_F(SetupDialog, CreationFailuresShowTheirStatus)
{
    std::string drive = MissingDrive();
    ASSERT_FALSE(drive.empty());
    std::string app = kRoot + "\\Acct7";
    INT_PTR result = Run([&](HWND dialog) {
        EnterAppDir(dialog, drive + "\\Acct7");
        Click(dialog, IDC_BTN_INSTALL);
        EXPECT_EQ("[box] Unable to create application directory\n\n(Status:" +
                      std::to_string(MissingDriveError()) + ")\n",
                  MessagesOf(TakeSeen()));

        // Z:\ is the file system root, which the unprivileged user cannot write.
        EnterAppDir(dialog, app);
        TypeInto(dialog, IDC_EDT_DPATH, "Z:\\korvu-denied");
        Click(dialog, IDC_BTN_INSTALL);
        EXPECT_EQ("[box] Unable to create data directory\n\n(Status:5)\n", MessagesOf(TakeSeen()));

        TypeInto(dialog, IDC_EDT_DPATH, "Data");
        TypeInto(dialog, IDC_EDT_CPATH, "Z:\\korvu-denied");
        Click(dialog, IDC_BTN_INSTALL);
        EXPECT_EQ("[box] Unable to create configarutation directory\n\n(Status:5)\n",
                  MessagesOf(TakeSeen()));
        Click(dialog, IDC_BTN_EXIT);
    });
    EXPECT_EQ(2, result);
}

TEST_F(SetupDialog, AnUpgradesUntouchedDataDirectoryIsTakenOverUnchecked)
{
    std::string app = kRoot + "\\Old";
    std::string gone = kRoot + "\\Gone\\Data";
    FreshDir(app);
    ASSERT_TRUE(WriteTextFile(app + "\\Korvu.ini", Ini(gone, "")));
    INT_PTR result = Run([&](HWND dialog) {
        EnterAppDir(dialog, app);
        Click(dialog, IDC_BTN_INSTALL);
    });
    EXPECT_EQ(1, result) << MessagesOf(TakeSeen());
    EXPECT_EQ(gone, options.data_path);
    EXPECT_FALSE(PathExists(kRoot + "\\Gone")) << "nothing created for it";
    EXPECT_EQ(app, options.config_path);
}

TEST_F(SetupDialog, CommandsWithoutTheRecordEndTheDialog)
{
    INT_PTR result = Run([&](HWND dialog) {
        SetWindowLongPtrA(dialog, GWLP_USERDATA, 0);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_BTN_INSTALL, BN_CLICKED),
                     (LPARAM)GetDlgItem(dialog, IDC_BTN_INSTALL));
    });
    EXPECT_EQ(2, result);
    std::vector<SeenWindow> seen = TakeSeen();
    ASSERT_EQ(1u, seen.size()) << MessagesOf(seen);
    EXPECT_EQ(0u, seen[0].text.find("Internal Error 54\n\n(Status:")) << MessagesOf(seen);
}

} // namespace
