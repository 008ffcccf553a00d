// The setup dialog in a program whose payload holds a long file name (the
// container linked into this test program, as into setup.exe): Install
// refuses an application directory that would leave no room for it.
#include "dlgdriver.h"
#include "resource.h"
#include "setupdlg.h"
#include "testfs.h"
#include <gtest/gtest.h>

namespace {

const std::string kRoot = "C:\\sdtest\\lim";
// The payload's longest name has 194 characters, its temporary name 198:
// 259 - 1 - 198.
const size_t kLimit = 60;

class PayloadLimit : public ::testing::Test {
protected:
    SetupOptions options;
    void SetUp() override { FreshDialogTest(&options, kRoot); }
    void TearDown() override { RemoveTree(kRoot); }
};

TEST_F(PayloadLimit, ApplicationPathsTooLongForThePayloadsLongestNameAreRefused)
{
    std::string app = kRoot + "\\" + std::string(kLimit - kRoot.size() - 1, 'a');
    ASSERT_EQ(kLimit, app.size());
    INT_PTR result = RunSetupDialog(&options, [&](HWND dialog) {
        for (const std::string &text :
             {app + "b", app + "b\\", kRoot + "\\" + std::string(200, 'c')}) {
            TypeInto(dialog, IDC_EDT_APATH, text);
            FocusControl(dialog, IDC_EDT_DPATH);
            Click(dialog, IDC_BTN_INSTALL);
            EXPECT_EQ("[box] Application path cannot be greater than 60 characters.\n",
                      MessagesOf(TakeSeen()))
                << text;
            EXPECT_TRUE(IsWindowVisible(dialog)) << "the dialog stays open";
            EXPECT_EQ(0, EntriesIn(kRoot)) << "nothing may be created: " << text;
        }
        // Exactly the limit, typed with its backslash: directory, backslash
        // and the 198-character temporary name make 259.
        TypeInto(dialog, IDC_EDT_APATH, app + "\\");
        FocusControl(dialog, IDC_EDT_DPATH);
        Click(dialog, IDC_BTN_INSTALL);
    });
    EXPECT_EQ(1, result) << MessagesOf(TakeSeen());
    EXPECT_EQ(app + "\\", options.app_path);
    EXPECT_TRUE(DirExists(app));
}

} // namespace
