// The program's exception classes. Messages are wide; what() gives UTF-8.
#pragma once

#include <exception>
#include <string>

namespace ui {

class Exception : public std::exception {
public:
    explicit Exception(std::wstring message);
    const std::wstring& Message() const noexcept { return FMessage; }
    const char* what() const noexcept override { return FNarrow.c_str(); }

private:
    std::wstring FMessage;
    std::string FNarrow;
};

// The runtime's input/output error: "I/O error %d" with the system code.
class EInOutError : public Exception {
public:
    explicit EInOutError(int errorCode);
    int ErrorCode;
};

// The message of any exception, for showing or logging it.
std::wstring ExceptionMessage(const std::exception& e);
// The message of the exception in flight; only inside a catch block.
std::wstring CurrentExceptionMessage();

std::wstring Utf8ToWide(const std::string& s);
std::string WideToUtf8(const std::wstring& s);

}  // namespace ui
