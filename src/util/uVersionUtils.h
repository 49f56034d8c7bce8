// The version of a program file, from its version resource.
#pragma once

#include <string>

// "major.minor.release.build" of the file version, without padding; empty
// when the file has no readable version resource.
std::wstring GetFileVersionString(const std::wstring& path);
