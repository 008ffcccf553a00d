// What the setup dialog's tests share: the fixture that opens the dialog
// from its template over a fresh scratch directory, and typing helpers.
#ifndef KORVU_TESTS_SETUPDLG_DIALOGTEST_H
#define KORVU_TESTS_SETUPDLG_DIALOGTEST_H

#include "dlgdriver.h"
#include "resource.h"
#include "setupdlg.h"
#include "testfs.h"
#include <gtest/gtest.h>
#include <string.h>

#include <string>

extern const std::string kRoot;

class SetupDialog : public ::testing::Test {
protected:
    SetupOptions options;

    void SetUp() override { FreshDialogTest(&options, kRoot); }
    void TearDown() override { RemoveTree(kRoot); }

    void SetPaths(const std::string &app, const std::string &data, const std::string &config)
    {
        lstrcpyA(options.app_path, app.c_str());
        lstrcpyA(options.data_path, data.c_str());
        lstrcpyA(options.config_path, config.c_str());
    }

    INT_PTR Run(const std::function<void(HWND)> &scenario)
    {
        return RunSetupDialog(&options, scenario);
    }
};

std::string Ini(const std::string &data, const std::string &config);

// Types the application directory and leaves the box for the data box.
void EnterAppDir(HWND dialog, const std::string &text);

#endif
