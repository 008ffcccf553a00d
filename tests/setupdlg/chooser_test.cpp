// The three Change buttons with the shell's real folder browser, answered
// by the watcher thread as a user would: cancel, or pick a folder and OK.
#include "dlgdriver.h"
#include "resource.h"
#include "setupdlg.h"
#include "testfs.h"
#include <gtest/gtest.h>
#include <objbase.h>

namespace {

const std::string kRoot = "C:\\sdtest\\chooser";

class FolderChooser : public ::testing::Test {
protected:
    SetupOptions options;

    void SetUp() override { FreshDialogTest(&options, kRoot); }
    void TearDown() override { RemoveTree(kRoot); }
};

// The one browser the watcher met, with its title among its texts.
void ExpectOneBrowser(const std::vector<SeenWindow> &seen, const std::string &title)
{
    ASSERT_EQ(1u, seen.size()) << MessagesOf(seen);
    EXPECT_TRUE(seen[0].browser);
    EXPECT_TRUE(seen[0].ownedByDialog);
    EXPECT_NE(std::string::npos, seen[0].text.find(title)) << seen[0].text;
}

TEST_F(FolderChooser, CancelChangesNothing)
{
    RunSetupDialog(&options, [&](HWND dialog) {
        for (int button : {IDC_BTN_CHANGE_APATH, IDC_BTN_CHANGE_DPATH, IDC_BTN_CHANGE_CPATH}) {
            QueueBrowserCancel();
            Click(dialog, button);
            EXPECT_EQ(kRoot + "\\Korvu", ControlText(dialog, IDC_EDT_APATH)) << button;
            EXPECT_EQ(kRoot + "\\Korvu\\Data", ControlText(dialog, IDC_EDT_DPATH)) << button;
            EXPECT_EQ(kRoot + "\\Korvu", ControlText(dialog, IDC_EDT_CPATH)) << button;
            EXPECT_EQ(0, options.data_path_edited);
            EXPECT_EQ(0, options.config_path_edited);
            std::vector<SeenWindow> seen = TakeSeen();
            ASSERT_EQ(1u, seen.size()) << MessagesOf(seen);
            EXPECT_TRUE(seen[0].browser);
        }
    });
}

TEST_F(FolderChooser, AChosenApplicationFolderFillsTheBoxAndTheOthersFollow)
{
    std::string chosen = kRoot + "\\Picked";
    FreshDir(chosen);
    ASSERT_TRUE(WriteTextFile(chosen + "\\Korvu.ini", "[Korvu]\r\nConfig= D:\\Conf\r\n"));
    RunSetupDialog(&options, [&](HWND dialog) {
        QueueBrowserChoice(chosen);
        Click(dialog, IDC_BTN_CHANGE_APATH);
        ExpectOneBrowser(TakeSeen(), "Please Select Application Directory and Press Ok");
        EXPECT_EQ(chosen, ControlText(dialog, IDC_EDT_APATH));
        EXPECT_EQ("Upgradation", ControlText(dialog, IDC_LBL_STATE));
        EXPECT_EQ(chosen + "\\Data", ControlText(dialog, IDC_EDT_DPATH));
        EXPECT_EQ("D:\\Conf", ControlText(dialog, IDC_EDT_CPATH));
        EXPECT_EQ(0, options.upgrade);
        EXPECT_EQ(1, options.config_found);
        EXPECT_EQ(0, options.data_path_edited);
        EXPECT_EQ(0, options.config_path_edited);
    });
}

TEST_F(FolderChooser, ADriveRootKeepsItsBackslash)
{
    RunSetupDialog(&options, [&](HWND dialog) {
        QueueBrowserChoice("C:\\");
        Click(dialog, IDC_BTN_CHANGE_APATH);
        EXPECT_EQ("C:\\", ControlText(dialog, IDC_EDT_APATH)) << MessagesOf(TakeSeen());
        EXPECT_EQ("C:\\Data", ControlText(dialog, IDC_EDT_DPATH));
        EXPECT_EQ("C:\\", ControlText(dialog, IDC_EDT_CPATH));
    });
}

TEST_F(FolderChooser, ChosenDataAndConfigurationFoldersCountAsEdits)
{
    std::string data = kRoot + "\\MyData";
    std::string config = kRoot + "\\MyConf";
    FreshDir(data);
    FreshDir(config);
    RunSetupDialog(&options, [&](HWND dialog) {
        QueueBrowserChoice(data);
        Click(dialog, IDC_BTN_CHANGE_DPATH);
        ExpectOneBrowser(TakeSeen(), "Please Select Data Directory and Press Ok");
        EXPECT_EQ(data, ControlText(dialog, IDC_EDT_DPATH));
        EXPECT_EQ(1, options.data_path_edited);

        QueueBrowserChoice(config);
        Click(dialog, IDC_BTN_CHANGE_CPATH);
        ExpectOneBrowser(TakeSeen(), "Please Select Configaration Directory and Press Ok");
        EXPECT_EQ(config, ControlText(dialog, IDC_EDT_CPATH));
        EXPECT_EQ(1, options.config_path_edited);

        // A new application directory leaves both alone now.
        TypeInto(dialog, IDC_EDT_APATH, kRoot + "\\Elsewhere");
        FocusControl(dialog, IDC_BTN_INSTALL);
        EXPECT_EQ(data, ControlText(dialog, IDC_EDT_DPATH));
        EXPECT_EQ(config, ControlText(dialog, IDC_EDT_CPATH));
    });
}

TEST_F(FolderChooser, ApplicationFoldersBeyond240CharactersAreRefused)
{
    std::string fits = kRoot + "\\" + std::string(100, 'a') + "\\";
    fits += std::string(240 - fits.size(), 'b');
    ASSERT_EQ(240u, fits.size());
    std::string longer = fits + "\\c";
    FreshDir(longer);
    RunSetupDialog(&options, [&](HWND dialog) {
        QueueBrowserChoice(longer);
        Click(dialog, IDC_BTN_CHANGE_APATH);
        std::vector<SeenWindow> seen = TakeSeen();
        ASSERT_EQ(2u, seen.size()) << MessagesOf(seen);
        EXPECT_EQ("Application path cannot be greater than 240 characters.", seen[1].text);
        EXPECT_EQ(kRoot + "\\Korvu", ControlText(dialog, IDC_EDT_APATH));
        EXPECT_EQ(kRoot + "\\Korvu\\Data", ControlText(dialog, IDC_EDT_DPATH));

        QueueBrowserChoice(fits);
        Click(dialog, IDC_BTN_CHANGE_APATH);
        EXPECT_EQ(fits, ControlText(dialog, IDC_EDT_APATH)) << MessagesOf(TakeSeen());
        EXPECT_EQ(fits + "\\Data", ControlText(dialog, IDC_EDT_DPATH));
    });
}

TEST_F(FolderChooser, EachCallLeavesComAsItFoundIt)
{
    RunSetupDialog(&options, [&](HWND dialog) {
        QueueBrowserCancel();
        Click(dialog, IDC_BTN_CHANGE_CPATH);
        QueueBrowserChoice(kRoot);
        Click(dialog, IDC_BTN_CHANGE_CPATH);
        EXPECT_EQ(kRoot, ControlText(dialog, IDC_EDT_CPATH));
    });
    // S_OK, not S_FALSE: the two calls left no initialisation behind.
    HRESULT first = CoInitialize(NULL);
    if (SUCCEEDED(first))
        CoUninitialize();
    EXPECT_EQ(S_OK, first);
}

} // namespace
