// How the clipboard viewer reshapes a text and names its files: plain
// logic, without any Windows header.
#pragma once

#include <string>

#include "core/LogFormat.h"

enum TViewKind { vkPlainText = 0, vkCommaString = 1, vkXml = 2, vkExecute = 3 };

// Kind 1 puts a line break for every comma, kind 2 takes every vertical bar
// out; other kinds and an empty text stay as they are.
std::wstring ConvertViewerText(const std::wstring& text, int kind);

// The text's lines (split at CR LF, a lone CR and a lone LF), each followed
// by CR LF, the last one included. One pass: a text of many megabytes
// costs no more than copying it.
std::wstring ToCrLfLines(const std::wstring& text);

// The temporary file's name for a kind: "tavrix-temp.txt" or ".xml", or
// with the time stamp "tavrix-temp_yyyy-mm-dd_hh-nn-ss.zzz.txt".
std::wstring ViewerTempName(int kind, bool timestamped, const TLogTime& now);
