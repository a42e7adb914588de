#pragma once

// What the command line takes from the operating system, in one place; CMake picks one
// implementation per system (ConsolePosix.cpp, ConsoleWindows.cpp).

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Varnock::Console {

// An open file, pipe or terminal: a descriptor or a handle, whichever the system gives.
using Handle = std::intptr_t;
inline constexpr Handle NoHandle = -1;

Handle StandardInput();
Handle StandardOutput();
Handle StandardError();

// Opens a file named in UTF-8 for reading; pipes and devices too, since the command line may
// wait for them. NoHandle when it can't be opened.
Handle OpenInput(const std::string& Path);
// Reads what is there, at most Size bytes: the count, 0 at the end, negative on a failure.
long Read(Handle From, char* Into, std::size_t Size);
// Writes all of it; false when that failed (a closed pipe, a full disk).
bool Write(Handle To, const char* Bytes, std::size_t Size);
void Close(Handle File);

// The line end of the system's text files: LF, or CR LF on Windows.
extern const char* const LineEnd;

// The program's arguments in UTF-8, the program's own name first.
std::vector<std::string> Arguments(int Argc, char** Argv);

// The folder that holds the program file, symbolic links resolved, without a trailing
// separator; empty when the system can't tell.
std::string ProgramFolder();
// The separator between a folder and a name in a path.
extern const char PathSeparator;

// Standard output and error are made ready for the command line: on Windows a program with no
// console of its own writes to the console it was started from, in UTF-8.
void AttachToConsole();

// The window program beside this one takes over: on POSIX systems it replaces this process,
// keeping its name for the desktop; on Windows it is started and this one ends. Returns only
// on a failure, with the exit status to end with.
int StartWindow(const std::string& Folder, const char* Name);

// Termination signals write out the buffered bytes up to Complete before the program ends, so
// that output cut short keeps every whole line already written.
void WriteOnSignals(Handle To, const char* Buffer, const volatile std::size_t* Complete);

} // namespace Varnock::Console
