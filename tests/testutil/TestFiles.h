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
