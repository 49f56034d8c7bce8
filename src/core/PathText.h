// Paths as text: the pieces the program puts together without asking the
// file system.
#pragma once

#include <string>

// The path of a name inside a folder, with one backslash between them; a
// folder that ends in one (a drive's root) keeps it alone. An empty folder
// gives the name, an empty name the folder.
std::wstring Join(const std::wstring& folder, const std::wstring& name);

// The last name of a path, as a folder's own name: "C:\a\Links\" and
// "C:\a\Links" give "Links", a drive's root its drive ("D:\" gives "D:"),
// a share's root its share name.
std::wstring LastName(const std::wstring& path);
