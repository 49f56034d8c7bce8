#include "ui/ErrorLog.h"

#include <windows.h>

#include <exception>

#include "core/Exceptions.h"

namespace ui {

TErrorLogFunc& ErrorLogFunc() {
    static TErrorLogFunc func = [](const std::wstring& source, const std::wstring& method,
                                   const std::wstring& message) {
        OutputDebugStringW((source + L"." + method + L": " + message + L"\n").c_str());
    };
    return func;
}

void LogException(const std::wstring& source, const std::wstring& method) noexcept {
    try {
        const std::wstring message = CurrentExceptionMessage();
        if (ErrorLogFunc()) ErrorLogFunc()(source, method, message);
    } catch (...) {
        // A log that fails has nobody left to tell.
    }
}

}  // namespace ui
