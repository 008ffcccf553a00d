// Internal errors 51 to 65: a control the dialog cannot find is reported
// with its number, once, and ends the dialog with 2.
#include "dlgdriver.h"
#include "resource.h"
#include "setupdlg.h"
#include "testfs.h"
#include <gtest/gtest.h>
#include <vector>

namespace {

const std::string kRoot = "C:\\sdtest\\internal";

// A dialog template in memory with the given controls and nothing else.
struct Control {
    int id;
    WORD classAtom; // 0x80 button, 0x81 edit, 0x82 static
};

std::vector<WORD> BuildTemplate(const std::vector<Control> &controls)
{
    std::vector<WORD> words;
    auto put32 = [&](DWORD value) {
        words.push_back(LOWORD(value));
        words.push_back(HIWORD(value));
    };
    put32(WS_POPUP | WS_CAPTION | DS_MODALFRAME);
    put32(0);
    words.push_back((WORD)controls.size());
    for (WORD value : {10, 10, 200, 120})
        words.push_back(value);
    words.insert(words.end(), {0, 0, 0}); // no menu, default class, no title
    short y = 5;
    for (const Control &control : controls) {
        if (words.size() % 2)
            words.push_back(0); // items start on a DWORD boundary
        put32(WS_CHILD | WS_VISIBLE | WS_TABSTOP | (control.classAtom == 0x81 ? WS_BORDER : 0));
        put32(0);
        for (short value : {(short)5, y, (short)150, (short)12})
            words.push_back((WORD)value);
        words.push_back((WORD)control.id);
        words.insert(words.end(), {0xFFFF, control.classAtom, 0, 0});
        y += 15;
    }
    return words;
}

const std::vector<Control> kAllInitControls = {{IDC_EDT_APATH, 0x81},
                                               {IDC_EDT_DPATH, 0x81},
                                               {IDC_EDT_CPATH, 0x81},
                                               {IDC_LBL_STATE, 0x82},
                                               {IDC_BTN_INSTALL, 0x80}};

class InternalErrors : public ::testing::Test {
protected:
    SetupOptions options;

    void SetUp() override { FreshDialogTest(&options, kRoot); }
    void TearDown() override { RemoveTree(kRoot); }

    // Exactly one report, of this number, with a status line.
    void ExpectOneReport(int number, const std::string &context)
    {
        std::vector<SeenWindow> seen = TakeSeen();
        std::string expected = "Internal Error " + std::to_string(number) + "\n\n(Status:";
        ASSERT_EQ(1u, seen.size()) << context << "\n" << MessagesOf(seen);
        EXPECT_EQ(0u, seen[0].text.find(expected)) << context << "\n" << seen[0].text;
        EXPECT_TRUE(seen[0].ownedByDialog) << context;
    }
};

TEST_F(InternalErrors, OpeningWithoutABoxOrTheLabel)
{
    const int numbers[] = {51, 52, 53, 54};
    for (size_t missing = 0; missing < 4; missing++) {
        std::vector<Control> controls = kAllInitControls;
        controls.erase(controls.begin() + missing);
        std::vector<WORD> words = BuildTemplate(controls);
        bool scenarioRan = false;
        INT_PTR result = RunSetupDialog(
            &options, [&](HWND) { scenarioRan = true; },
            reinterpret_cast<const DLGTEMPLATE *>(words.data()));
        EXPECT_EQ(2, result) << "without control " << kAllInitControls[missing].id;
        ExpectOneReport(numbers[missing],
                        "without " + std::to_string(kAllInitControls[missing].id));
    }
    // The complete set opens normally.
    std::vector<WORD> words = BuildTemplate(kAllInitControls);
    INT_PTR result = RunSetupDialog(
        &options, [&](HWND) {}, reinterpret_cast<const DLGTEMPLATE *>(words.data()));
    EXPECT_EQ(kLeftOpen, result);
    EXPECT_EQ("", MessagesOf(TakeSeen()));
}

enum Trigger { kEnter, kLeaveAppBox, kChangeApp, kChangeData, kChangeConfig };

struct LostControlCase {
    int number;
    int lost; // the control destroyed while the dialog is open
    Trigger trigger;
};

void Fire(HWND dialog, Trigger trigger)
{
    switch (trigger) {
    case kEnter: SendMessageA(dialog, WM_COMMAND, IDOK, 0); break;
    case kLeaveAppBox: FocusControl(dialog, IDC_BTN_EXIT); break;
    case kChangeApp:
        QueueBrowserChoice(kRoot);
        Click(dialog, IDC_BTN_CHANGE_APATH);
        break;
    case kChangeData:
        QueueBrowserChoice(kRoot);
        Click(dialog, IDC_BTN_CHANGE_DPATH);
        break;
    case kChangeConfig:
        QueueBrowserChoice(kRoot);
        Click(dialog, IDC_BTN_CHANGE_CPATH);
        break;
    }
}

TEST_F(InternalErrors, ControlsLostWhileTheDialogIsOpen)
{
    const LostControlCase cases[] = {
        {55, IDC_EDT_APATH, kEnter},        {56, IDC_EDT_DPATH, kEnter},
        {57, IDC_EDT_CPATH, kEnter},        {58, IDC_BTN_INSTALL, kEnter},
        {59, IDC_EDT_DPATH, kLeaveAppBox},  {60, IDC_EDT_CPATH, kLeaveAppBox},
        {61, IDC_EDT_APATH, kChangeApp},    {62, IDC_EDT_DPATH, kChangeApp},
        {63, IDC_EDT_CPATH, kChangeApp},    {64, IDC_EDT_DPATH, kChangeData},
        {65, IDC_EDT_CPATH, kChangeConfig},
    };
    for (const LostControlCase &c : cases) {
        std::string context = "error " + std::to_string(c.number);
        INT_PTR result = RunSetupDialog(&options, [&](HWND dialog) {
            // Enter needs the focus in a live box; a Change button is
            // pressed from outside the application box, which would first
            // follow on leaving.
            int focus =
                c.trigger == kEnter || c.trigger == kLeaveAppBox ? IDC_EDT_APATH : IDC_BTN_EXIT;
            if (focus == c.lost)
                focus = IDC_EDT_CPATH;
            FocusControl(dialog, focus);
            DestroyWindow(GetDlgItem(dialog, c.lost));
            Fire(dialog, c.trigger);
        });
        EXPECT_EQ(2, result) << context;
        std::vector<SeenWindow> seen = TakeSeen();
        // The browser comes first where a Change button was pressed.
        if (!seen.empty() && seen[0].browser)
            seen.erase(seen.begin());
        std::string expected = "Internal Error " + std::to_string(c.number) + "\n\n(Status:";
        ASSERT_EQ(1u, seen.size()) << context << "\n" << MessagesOf(seen);
        EXPECT_EQ(0u, seen[0].text.find(expected)) << context << "\n" << seen[0].text;
    }
}

} // namespace
