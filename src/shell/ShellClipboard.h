// The clipboard side of the file commands: which files a copy or a cut put
// there, whether they were cut, and a paste that does the work itself for
// a shell whose folder menus cannot.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

// The files on the clipboard (CF_HDROP), or none.
std::unique_ptr<std::vector<std::wstring>> ClipboardFileNames();
// Whether the clipboard's files were cut: its "Preferred DropEffect" says move.
bool ClipboardPrefersMove();
// After a cut: says "move" on the clipboard when the shell left it unsaid,
// so that a paste moves the files instead of copying them.
void MarkClipboardCut();
// Pastes the clipboard's files into a folder with one shell file operation:
// moved when they were cut, copied otherwise. The shell asks about names
// that exist. False when there were no files, or the operation failed or
// was cancelled.
bool PasteClipboardFiles(HWND owner, const std::wstring& folder);
