// The probe's drag-and-drop helpers: another program's side of a drag.
#pragma once

#include <string>

// A window at (x, y) that drags the file as a shell item (its data object
// from the shell) when the left button goes down on it; prints the effect.
int DragSource(const std::wstring& path, int x, int y, int timeoutMs);
// A window at (x, y) that takes a drop and prints the files it carried
// (CF_HDROP), one per line, or "none" when nothing came in time.
int DropTarget(int x, int y, int timeoutMs);
// Prints the path a shortcut points at.
int LinkTarget(const std::wstring& shortcut);
