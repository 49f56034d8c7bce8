// Real files and folders for tests, removed again when the test ends.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "ui/Dialogs.h"

namespace testutil {

// A fresh folder under the temporary directory, deleted with its contents.
class TTempDir {
public:
    TTempDir();
    ~TTempDir();
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;
    // The folder's path, without a trailing separator.
    const std::wstring& Path() const noexcept { return FPath; }
    std::wstring operator/(const std::wstring& name) const { return FPath + L"\\" + name; }

private:
    std::wstring FPath;
};

void RemoveTree(const std::wstring& path);
bool Exists(const std::wstring& path);
void WriteFileBytes(const std::wstring& path, const std::string& bytes);
std::string ReadFileBytes(const std::wstring& path);
// Sets the last-write time to now minus the given age.
void SetFileAge(const std::wstring& path, int64_t ageSeconds);
std::vector<std::string> SplitLines(const std::string& text);

// Links, made and removed without touching what they lead to.
// A junction from folder to target; false where the file system cannot.
bool MakeJunction(const std::wstring& folder, const std::wstring& target);
// The Unix path of a file under Wine; empty on Windows.
std::wstring WineUnixPath(const std::wstring& path);
// Runs a Unix program under Wine, which starts it like any other, until
// done holds (Wine gives no handle of such a program to wait on).
bool RunUnix(const std::wstring& program, std::wstring command, const std::function<bool()>& done);
// Under Wine, a Unix symbolic link (`ln -s`) to a folder or a file; false
// on Windows and wherever that fails.
bool MakeWineSymlink(const std::wstring& link, const std::wstring& target);
// Removes a junction or a link, never what it leads to.
bool RemoveLink(const std::wstring& link);

// Records message boxes instead of showing them, while it lives.
class TMessageBoxRecorder {
public:
    struct TBox {
        std::wstring Text, Caption;
        UINT Flags;
    };
    TMessageBoxRecorder();
    ~TMessageBoxRecorder();
    TMessageBoxRecorder(const TMessageBoxRecorder&) = delete;
    TMessageBoxRecorder& operator=(const TMessageBoxRecorder&) = delete;
    std::vector<TBox> Boxes;

private:
    ui::TMessageBoxFunc FPrevious;
};

// Answers the first visible window with a title by pressing one of its
// buttons, from another thread: a shell box is modal on the test's own.
class TDialogAnswer {
public:
    // Ready, when given, must also hold for the window before it is answered.
    TDialogAnswer(std::wstring title, int button, std::function<bool(HWND)> ready = nullptr);
    ~TDialogAnswer();
    TDialogAnswer(const TDialogAnswer&) = delete;
    TDialogAnswer& operator=(const TDialogAnswer&) = delete;
    std::atomic<bool> Answered{false};

private:
    std::atomic<bool> FStop{false};
    std::thread FThread;
};

}  // namespace testutil
