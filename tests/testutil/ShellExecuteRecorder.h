// Records every start through the shell instead of starting anything.
#pragma once

#include <string>
#include <vector>

#include "shell/Shell_Win32.h"

namespace testutil {

// Records every start through the shell instead of starting anything.
class TShellExecuteRecorder {
public:
    struct TCall {
        std::wstring Operation, File, Parameters;
        int Show;
    };
    explicit TShellExecuteRecorder(INT_PTR result = 42) : FPrevious(ShellExecuteFunc()) {
        ShellExecuteFunc() = [this, result](HWND, const std::wstring& op, const std::wstring& file,
                                            const std::wstring& params, const std::wstring&, int show) {
            Calls.push_back({op, file, params, show});
            return result;
        };
    }
    ~TShellExecuteRecorder() { ShellExecuteFunc() = FPrevious; }
    TShellExecuteRecorder(const TShellExecuteRecorder&) = delete;
    TShellExecuteRecorder& operator=(const TShellExecuteRecorder&) = delete;
    std::vector<TCall> Calls;

private:
    TShellExecuteFunc FPrevious;
};

}  // namespace testutil
