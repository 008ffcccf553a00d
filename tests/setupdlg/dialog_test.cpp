// The setup dialog from template 102 with its real procedure, driven by
// real focus changes, keys, typing and clicks.
#include "dialogtest.h"

const std::string kRoot = "C:\\sdtest\\dlg";

std::string Ini(const std::string &data, const std::string &config)
{
    std::string text = "[Korvu]\r\n";
    if (!data.empty())
        text += "Data= " + data + "\r\n";
    if (!config.empty())
        text += "Config= " + config + "\r\n";
    return text;
}

// Types the application directory and leaves the box for the data box.
void EnterAppDir(HWND dialog, const std::string &text)
{
    TypeInto(dialog, IDC_EDT_APATH, text);
    FocusControl(dialog, IDC_EDT_DPATH);
}

namespace {

TEST_F(SetupDialog, OpensWithTheRecordsPathsAndFocusOnTheApplicationBox)
{
    options.data_path_edited = 1; // opening fills the boxes: not an edit
    options.config_path_edited = 1;
    HFONT labelFont = NULL;
    INT_PTR result = Run([&](HWND dialog) {
        EXPECT_EQ(kRoot + "\\Korvu", ControlText(dialog, IDC_EDT_APATH));
        EXPECT_EQ(kRoot + "\\Korvu\\Data", ControlText(dialog, IDC_EDT_DPATH));
        EXPECT_EQ(kRoot + "\\Korvu", ControlText(dialog, IDC_EDT_CPATH));
        EXPECT_EQ("New Installation", ControlText(dialog, IDC_LBL_STATE));
        EXPECT_EQ(IDC_EDT_APATH, FocusId(dialog));
        EXPECT_EQ(0, options.data_path_edited);
        EXPECT_EQ(0, options.config_path_edited);
        for (int id : {IDC_EDT_APATH, IDC_EDT_DPATH, IDC_EDT_CPATH})
            EXPECT_EQ(259, (int)SendDlgItemMessageA(dialog, id, EM_GETLIMITTEXT, 0, 0)) << id;
        for (int id : {IDC_BTN_CHANGE_APATH, IDC_BTN_CHANGE_DPATH, IDC_BTN_CHANGE_CPATH})
            EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, id))) << "from NT 4.0 on: " << id;

        labelFont = (HFONT)SendDlgItemMessageA(dialog, IDC_LBL_STATE, WM_GETFONT, 0, 0);
        LOGFONTA font;
        ASSERT_EQ((int)sizeof font, GetObjectA(labelFont, sizeof font, &font));
        EXPECT_STREQ("Tahoma", font.lfFaceName);
        EXPECT_TRUE(font.lfUnderline);
        EXPECT_FALSE(font.lfItalic);
        EXPECT_EQ(400, font.lfWeight);
        EXPECT_EQ(10, font.lfWidth);
        EXPECT_LT(font.lfHeight, 0);
        Click(dialog, IDC_BTN_EXIT);
    });
    EXPECT_EQ(2, result);
    EXPECT_EQ(0u, GetObjectType(labelFont)) << "the label's font outlives the dialog";
    EXPECT_EQ("", MessagesOf(TakeSeen()));
}

TEST_F(SetupDialog, OpensAsUpgradeWhenTheRecordSaysSo)
{
    options.upgrade = 1;
    INT_PTR result =
        Run([&](HWND dialog) { EXPECT_EQ("Upgradation", ControlText(dialog, IDC_LBL_STATE)); });
    EXPECT_EQ(kLeftOpen, result);
}

TEST_F(SetupDialog, LeavingTheApplicationBoxTrimsItAndTheUntouchedBoxesFollow)
{
    std::string app = kRoot + "\\Acct7";
    Run([&](HWND dialog) {
        EnterAppDir(dialog, "  " + app + "  ");
        EXPECT_EQ(app, ControlText(dialog, IDC_EDT_APATH));
        EXPECT_EQ("New Installation", ControlText(dialog, IDC_LBL_STATE));
        EXPECT_EQ(app + "\\Data", ControlText(dialog, IDC_EDT_DPATH));
        EXPECT_EQ(app, ControlText(dialog, IDC_EDT_CPATH));
        EXPECT_EQ(0, options.data_path_edited);
        EXPECT_EQ(0, options.config_path_edited);
        EXPECT_EQ(0, options.upgrade);
        EXPECT_EQ(0, options.config_found);

        EnterAppDir(dialog, app + "\\");
        EXPECT_EQ(app + "\\Data", ControlText(dialog, IDC_EDT_DPATH)) << "one backslash only";
        EXPECT_EQ(app + "\\", ControlText(dialog, IDC_EDT_CPATH));
    });
    EXPECT_EQ(kRoot + "\\Korvu", options.app_path) << "the record changes on Install only";
    EXPECT_FALSE(PathExists(app));
}

TEST_F(SetupDialog, AKorvuIniInTheTypedDirectoryMakesAnUpgrade)
{
    std::string app = kRoot + "\\Old";
    FreshDir(app);
    ASSERT_TRUE(WriteTextFile(app + "\\Korvu.ini", Ini("D:\\Books", "D:\\Conf")));
    std::string half = kRoot + "\\Half";
    FreshDir(half);
    ASSERT_TRUE(WriteTextFile(half + "\\Korvu.ini", Ini("D:\\HalfData", "")));
    Run([&](HWND dialog) {
        EnterAppDir(dialog, app);
        EXPECT_EQ("Upgradation", ControlText(dialog, IDC_LBL_STATE));
        EXPECT_EQ("D:\\Books", ControlText(dialog, IDC_EDT_DPATH));
        EXPECT_EQ("D:\\Conf", ControlText(dialog, IDC_EDT_CPATH));
        EXPECT_EQ(1, options.upgrade);
        EXPECT_EQ(1, options.config_found);
        EXPECT_EQ(0, options.data_path_edited);
        EXPECT_EQ(0, options.config_path_edited);

        EnterAppDir(dialog, half); // Data without Config
        EXPECT_EQ("Upgradation", ControlText(dialog, IDC_LBL_STATE));
        EXPECT_EQ("D:\\HalfData", ControlText(dialog, IDC_EDT_DPATH));
        EXPECT_EQ(half, ControlText(dialog, IDC_EDT_CPATH));
        EXPECT_EQ(1, options.upgrade);
        EXPECT_EQ(0, options.config_found);

        EnterAppDir(dialog, kRoot + "\\New");
        EXPECT_EQ("New Installation", ControlText(dialog, IDC_LBL_STATE));
        EXPECT_EQ(kRoot + "\\New\\Data", ControlText(dialog, IDC_EDT_DPATH));
        EXPECT_EQ(0, options.upgrade);
        EXPECT_EQ(0, options.config_found);
    });
}

TEST_F(SetupDialog, AnEmptiedApplicationBoxLeavesTheOtherBoxesAlone)
{
    options.upgrade = 1;
    SetPaths(kRoot + "\\Korvu", "D:\\Books", "D:\\Conf");
    Run([&](HWND dialog) {
        for (const char *blank : {"", "   "}) {
            EnterAppDir(dialog, blank);
            EXPECT_EQ("", ControlText(dialog, IDC_EDT_APATH));
            EXPECT_EQ("New Installation", ControlText(dialog, IDC_LBL_STATE));
            EXPECT_EQ("D:\\Books", ControlText(dialog, IDC_EDT_DPATH));
            EXPECT_EQ("D:\\Conf", ControlText(dialog, IDC_EDT_CPATH));
            EXPECT_EQ(1, options.upgrade);
        }
    });
}

TEST_F(SetupDialog, LeavingTheApplicationBoxUnchangedLooksAgain)
{
    std::string app = kRoot + "\\Korvu";
    FreshDir(app);
    Run([&](HWND dialog) {
        EXPECT_EQ("New Installation", ControlText(dialog, IDC_LBL_STATE));
        ASSERT_TRUE(WriteTextFile(app + "\\Korvu.ini", Ini("E:\\Ledger", "")));
        FocusControl(dialog, IDC_EDT_CPATH); // leave the box untouched
        EXPECT_EQ("Upgradation", ControlText(dialog, IDC_LBL_STATE));
        EXPECT_EQ("E:\\Ledger", ControlText(dialog, IDC_EDT_DPATH));
        EXPECT_EQ(app, ControlText(dialog, IDC_EDT_CPATH));
        EXPECT_EQ(1, options.upgrade);
    });
}

TEST_F(SetupDialog, LongTextsStayWholeOrAreRefused)
{
    std::string app = "C:\\" + std::string(252, 'a'); // 255 characters
    INT_PTR result = Run([&](HWND dialog) {
        // What the box takes is what Install reads: no 260th character.
        TypeInto(dialog, IDC_EDT_DPATH, "D:\\" + std::string(257, 'd'));
        EXPECT_EQ("D:\\" + std::string(256, 'd'), ControlText(dialog, IDC_EDT_DPATH));

        EnterAppDir(dialog, app);
        EXPECT_EQ(app, ControlText(dialog, IDC_EDT_APATH));
        EXPECT_EQ("New Installation", ControlText(dialog, IDC_LBL_STATE));
        EXPECT_EQ(app, ControlText(dialog, IDC_EDT_CPATH)) << "the configuration box follows";
        EXPECT_EQ(1, options.data_path_edited);

        // An untouched data box gets no cut "\Data" path, but an empty text.
        options.data_path_edited = 0;
        EnterAppDir(dialog, app);
        EXPECT_EQ("", ControlText(dialog, IDC_EDT_DPATH));
        EXPECT_EQ(0, options.upgrade);
        Click(dialog, IDC_BTN_INSTALL);
        EXPECT_EQ("[box] Application path cannot be greater than 240 characters.\n",
                  MessagesOf(TakeSeen()));
    });
    EXPECT_EQ(kLeftOpen, result);
    EXPECT_EQ(kRoot + "\\Korvu", options.app_path);
}

TEST_F(SetupDialog, ATypedDataBoxNoLongerFollowsWhileTheConfigurationBoxDoes)
{
    Run([&](HWND dialog) {
        TypeInto(dialog, IDC_EDT_DPATH, "  D:\\Mine  ");
        EXPECT_EQ(1, options.data_path_edited);
        FocusControl(dialog, IDC_EDT_CPATH);
        EXPECT_EQ("D:\\Mine", ControlText(dialog, IDC_EDT_DPATH)) << "trimmed on leaving";
        EXPECT_EQ(1, options.data_path_edited) << "trimming is not the user's edit";

        EnterAppDir(dialog, kRoot + "\\Other");
        EXPECT_EQ("D:\\Mine", ControlText(dialog, IDC_EDT_DPATH));
        EXPECT_EQ(kRoot + "\\Other", ControlText(dialog, IDC_EDT_CPATH));
        EXPECT_EQ(0, options.config_path_edited);

        // Passing through the untouched configuration box keeps it untouched.
        FocusControl(dialog, IDC_EDT_CPATH);
        FocusControl(dialog, IDC_EDT_APATH);
        EXPECT_EQ(0, options.config_path_edited);
        TypeInto(dialog, IDC_EDT_CPATH, "D:\\Conf");
        EXPECT_EQ(1, options.config_path_edited);
        EnterAppDir(dialog, kRoot + "\\Third");
        EXPECT_EQ("D:\\Conf", ControlText(dialog, IDC_EDT_CPATH));
        EXPECT_EQ("D:\\Mine", ControlText(dialog, IDC_EDT_DPATH));
    });
}

TEST_F(SetupDialog, EnterMovesBoxToBoxAndRunsInstallFromTheInstallButton)
{
    std::string app = kRoot + "\\Acct7";
    SetPaths(app, app + "\\Data", app);
    INT_PTR result = Run([&](HWND dialog) {
        ASSERT_EQ(IDC_EDT_APATH, FocusId(dialog));
        PressKey(dialog, VK_RETURN);
        EXPECT_EQ(IDC_EDT_DPATH, FocusId(dialog));
        PressKey(dialog, VK_RETURN);
        EXPECT_EQ(IDC_EDT_CPATH, FocusId(dialog));
        PressKey(dialog, VK_RETURN);
        EXPECT_EQ(IDC_BTN_INSTALL, FocusId(dialog));
        EXPECT_FALSE(PathExists(app)) << "nothing installed before Install";
        PressKey(dialog, VK_RETURN);
    });
    EXPECT_EQ(1, result);
    EXPECT_EQ(app + "\\", options.app_path);
    EXPECT_TRUE(DirExists(app + "\\Data"));
}

TEST_F(SetupDialog, EnterCommandWithTheFocusOnInstallRunsInstall)
{
    std::string app = kRoot + "\\Acct7";
    SetPaths(app, app + "\\Data", app);
    INT_PTR result = Run([&](HWND dialog) {
        FocusControl(dialog, IDC_BTN_INSTALL);
        SendMessageA(dialog, WM_COMMAND, IDOK, 0); // as from the Enter key
        EXPECT_TRUE(IsWindowVisible(dialog)) << "Install is posted, not run at once";
        Pump(dialog);
    });
    EXPECT_EQ(1, result);
}

TEST_F(SetupDialog, EscapeDoesNothing)
{
    INT_PTR result = Run([&](HWND dialog) {
        PressKey(dialog, VK_ESCAPE);
        SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        Pump(dialog);
        EXPECT_TRUE(IsWindowVisible(dialog));
    });
    EXPECT_EQ(kLeftOpen, result);
    EXPECT_EQ("", MessagesOf(TakeSeen()));
}

TEST_F(SetupDialog, ChangeButtonsAreEnabledFromNt40On)
{
    ASSERT_FALSE(IsNtBefore40());
    Run([&](HWND dialog) {
        for (int id : {IDC_BTN_CHANGE_APATH, IDC_BTN_CHANGE_DPATH, IDC_BTN_CHANGE_CPATH})
            EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, id))) << id;
    });
}

TEST_F(SetupDialog, Nt351DisablesTheFirstTwoChangeButtons)
{
    ASSERT_TRUE(IsNtBefore40()) << "run this one as nt351; platform " << g_osvi.dwPlatformId
                                << " version " << g_osvi.dwMajorVersion << "."
                                << g_osvi.dwMinorVersion;
    Run([&](HWND dialog) {
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_BTN_CHANGE_APATH)));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_BTN_CHANGE_DPATH)));
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_BTN_CHANGE_CPATH)));
    });
}

} // namespace
