// Shows the clipboard's text: reshaped into a temporary text or XML file
// opened with its program, or started as a path or an address.
#pragma once

#include <functional>
#include <optional>
#include <string>

class TLogDataViewer {
public:
    // The user's temporary folder (GetTempPath), or another for tests.
    TLogDataViewer();
    explicit TLogDataViewer(std::wstring tempFolder);
    ~TLogDataViewer();
    TLogDataViewer(const TLogDataViewer&) = delete;
    TLogDataViewer& operator=(const TLogDataViewer&) = delete;

    // Shows the clipboard's text as the kind (0 to 3); text receives what
    // was shown. The shell's result, or -1 when there was no text.
    int ViewClipboardAs(int kind, std::wstring& text);
    static std::wstring ConvertText(const std::wstring& text, int kind);
    // Writes and opens the file, or starts the text; -1 for an empty text.
    // A file that cannot be written raises an error naming it.
    int ShowText(const std::wstring& text, int kind);
    // Removes every "tavrix-temp*.*" in the temporary folder.
    void DeleteTempFiles();
    const std::wstring& TempFolder() const noexcept { return FTempFolder; }
    // Whether file names carry the time, asked when a name is made.
    std::function<bool()> TimestampTempFiles;

private:
    void WriteTextFile(const std::wstring& path, const std::wstring& text);
    std::wstring FTempFolder;
};

// A view file's bytes for its text: in the code page when it holds the
// text (a UTF-8 page as plain UTF-8), else UTF-8 with its mark; nothing
// when even that fails.
std::optional<std::string> ViewerFileBytes(const std::wstring& text, unsigned codePage);

// The clipboard's text (CF_UNICODETEXT) up to its first NUL; empty when
// there is none.
std::wstring ClipboardText();
