#pragma once

// What the core takes from the operating system, in one place: the single-byte code page and
// its uppercase mapping, the user's decimal separator, reading a file, and loading a module. CMake
// picks one implementation per system: SystemServicesWindows.cpp or SystemServicesPosix.cpp.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace Varnock {

// The core works on bytes of a single-byte code page: the system's ANSI code page on Windows,
// Windows-1252 elsewhere.

// Uppercase mapping of one code of the code page.
unsigned char UpperCase(unsigned char Code);

// UTF-8 to the code page; a character the page lacks (or an invalid sequence) becomes '?'.
std::string FromUtf8(std::string_view Utf8);
// The code page to UTF-8.
std::string ToUtf8(std::string_view Bytes);

} // namespace Varnock

namespace Varnock::SystemServices {

// The decimal separator of the user's locale; a period when the code page lacks it or it is
// longer than one character.
char DecimalSeparator();

// An open file: a descriptor or a handle, whichever the system gives.
using FileHandle = std::intptr_t;

// Opens Path for reading and tells its size in bytes. Only a regular file is taken: a folder,
// a FIFO, a pipe or a device raises error 75, and opening never waits. Other failures raise
// their numbered run-time error (53 not found, 70 permission denied, 67 too many files open,
// 7 out of memory).
FileHandle OpenForReading(const std::string& Path, unsigned long long& Size);
// Reads at most Size bytes: the count read, 0 at the end of the file, negative on a failure.
long ReadSome(FileHandle File, char* Into, std::size_t Size);
void CloseFile(FileHandle File);

// A function of a module (a shared library) loaded from Path, or null when the module or the
// function isn't there. The module stays loaded.
using ModuleProcedure = void (*)();
ModuleProcedure ModuleFunction(const std::string& Path, const char* Name);

} // namespace Varnock::SystemServices
