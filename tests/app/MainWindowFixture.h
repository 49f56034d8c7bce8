// The main window over a working folder "quorb" in a temporary folder, with
// no settings file or log left from a test before.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/uTavrix.h"
#include "core/Exceptions.h"
#include "testutil/TestFiles.h"
#include "util/uUtils.h"

namespace testutil {

class TMainWindowFixture : public ::testing::Test {
protected:
    void SetUp() override {
        Clean();
        CreateDirectoryW(Work.c_str(), nullptr);
    }
    void TearDown() override {
        Form.reset();
        Clean();
    }
    static void Clean() {
        DeleteFileW(OptionsIniFileName().c_str());
        RemoveTree(GetLogFolder(false));
    }
    // The window, made with these settings (none: no settings file).
    void Create(const std::string& ini = "") {
        if (!ini.empty()) WriteFileBytes(OptionsIniFileName(), "[OPTIONS]\r\n" + ini);
        Form = std::make_unique<TfrmMain>();
        Form->DoCreate();
    }
    // The window over Work, with more settings.
    void CreateWith(const std::string& more = "") {
        Create("WorkingFolderOption=3\r\nWorkingFolderPath=" + ui::WideToUtf8(Base.Path()) + "\r\n" + more);
    }

    TTempDir Base;
    const std::wstring Work = Base / L"quorb";
    std::unique_ptr<TfrmMain> Form;
};

}  // namespace testutil
