#pragma once

#include <string>
#include <string_view>

namespace Varnock {

// The core works on bytes of a single-byte code page: the system's ANSI code page on Windows,
// Windows-1252 elsewhere. These are among the system services (core/SystemServices.h) and are
// defined with them, in the file CMake picks for the system.

// Uppercase mapping of one code of the code page.
unsigned char UpperCase(unsigned char Code);

// UTF-8 to the code page; a character the page lacks (or an invalid sequence) becomes '?'.
std::string FromUtf8(std::string_view Utf8);
// The code page to UTF-8.
std::string ToUtf8(std::string_view Bytes);

} // namespace Varnock
