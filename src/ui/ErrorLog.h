// Errors caught where nothing can be shown, such as a worker thread's
// entry, are logged instead. The program points the log at its log file;
// unset, the lines go to the debugger's output.
#pragma once

#include <functional>
#include <string>

namespace ui {

using TErrorLogFunc =
    std::function<void(const std::wstring& source, const std::wstring& method, const std::wstring& message)>;
// Set before any worker starts; called on whichever thread caught the error.
TErrorLogFunc& ErrorLogFunc();

// Logs the exception in flight under its source and method; for catch (...)
// blocks. Shows nothing and never throws.
void LogException(const std::wstring& source, const std::wstring& method) noexcept;

}  // namespace ui
