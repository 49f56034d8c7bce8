// The daily log file beside the program, and the folder operations the
// program shares: moving a folder and deleting one without questions.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/LogFormat.h"

// The one way to write a log line; the level text is parsed by ParseLogLevel.
void WriteLog(const std::wstring& source, const std::wstring& method, const std::wstring& level,
              const std::wstring& message);

// For threads other than the user-interface one: writes the line when it
// can and otherwise lets it go, never showing anything.
void WriteLogQuiet(const std::wstring& source, const std::wstring& method, const std::wstring& level,
                   const std::wstring& message) noexcept;

// The program's outermost boundary: runs the body and returns its exit
// code; an exception that leaves it is logged, shown in a box, and ends
// the program with the code 1.
int RunProgram(const std::function<int()>& body);

// Appends one line to today's file "<prefix>-yyyymmdd.log" in the log
// folder. Raises EInOutError when the file cannot be created or written.
void WriteLogLine(const std::wstring& prefix, const std::wstring& source, const std::wstring& method,
                  TLogLevel level, const std::wstring& message);

// The folder of the program file, ending in "\".
std::wstring GetProgramFolder();
// The program folder's "Logs", with a trailing "\" when asked for.
std::wstring GetLogFolder(bool trailingSeparator);

// Appends folder + name of every entry matching the mask whose age in
// whole days is at least minAgeDays. Returns whether the list holds any.
bool FindFilesOlderThan(const std::wstring& folder, const std::wstring& mask, int minAgeDays,
                        std::vector<std::wstring>* list);

// Deletes log files 14 or more days old; runs at most once an hour.
void CleanupOldLogs();

// When the last clean-up ran, in local 100 ns ticks; 0 before the first.
extern int64_t LastLogCleanup;
// Whether logging is off for the run: set once a log line could not be
// written. Any thread may ask; the user-interface thread sets it.
bool LoggingIsOff() noexcept;
void SetLoggingOff(bool off) noexcept;

// Local time now, in 100 ns ticks since 1601.
int64_t LocalNowTicks();

// One shell move of the folder, with its contents, to the target path.
bool MoveFolder(const std::wstring& source, const std::wstring& target);
// One shell delete of the folder and its contents into the Recycle Bin,
// asking and showing nothing; false for a folder already gone, and for a
// folder that is a link or holds one (nothing is deleted).
bool DeleteFolder(const std::wstring& path);
