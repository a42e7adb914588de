#include "core/SystemServices.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include <dlfcn.h>
#include <fcntl.h>
#include <langinfo.h>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/RunTimeError.h"
#include "core/Utf8.h"

// Windows-1252 stands in for the ANSI code page Windows would give.

namespace Varnock {

namespace {

// Windows-1252 codes 0x80 to 0x9F; the five it leaves undefined keep their C1 code points.
constexpr std::array<char32_t, 32> HighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t CodePoint(unsigned char Code) {
    return Code >= 0x80 && Code <= 0x9F ? HighControls[Code - 0x80] : Code;
}

int CodeOf(char32_t Point) {
    if (Point < 0x80 || (Point >= 0xA0 && Point <= 0xFF))
        return static_cast<int>(Point);
    for (std::size_t Index = 0; Index < HighControls.size(); ++Index)
        if (HighControls[Index] == Point)
            return static_cast<int>(0x80 + Index);
    return '?';
}

void AppendUtf8(std::string& Out, char32_t Point) {
    if (Point < 0x80) {
        Out += static_cast<char>(Point);
    } else if (Point < 0x800) {
        Out += static_cast<char>(0xC0 | (Point >> 6));
        Out += static_cast<char>(0x80 | (Point & 0x3F));
    } else {
        Out += static_cast<char>(0xE0 | (Point >> 12));
        Out += static_cast<char>(0x80 | ((Point >> 6) & 0x3F));
        Out += static_cast<char>(0x80 | (Point & 0x3F));
    }
}

} // namespace

unsigned char UpperCase(unsigned char Code) {
    if ((Code >= 'a' && Code <= 'z') || (Code >= 0xE0 && Code <= 0xFE && Code != 0xF7))
        return static_cast<unsigned char>(Code - 0x20);
    switch (Code) {
    case 0x9A: // s caron
    case 0x9C: // oe
    case 0x9E: // z caron
        return static_cast<unsigned char>(Code - 0x10);
    case 0xFF: // y diaeresis
        return 0x9F;
    default:
        return Code;
    }
}

std::string FromUtf8(std::string_view Utf8) {
    std::string Out;
    Out.reserve(Utf8.size());
    for (std::size_t At = 0; At < Utf8.size();) {
        const Utf8Character Read = DecodeUtf8(Utf8, At);
        Out += static_cast<char>(Read.Point == NotUtf8 ? '?' : CodeOf(Read.Point));
        At += Read.Length;
    }
    return Out;
}

std::string ToUtf8(std::string_view Bytes) {
    // Most texts are ASCII, the same bytes in both.
    if (std::all_of(Bytes.begin(), Bytes.end(), [](char Byte) { return Byte >= 0; }))
        return std::string(Bytes);
    std::string Out;
    Out.reserve(Bytes.size());
    for (char Byte : Bytes)
        AppendUtf8(Out, CodePoint(static_cast<unsigned char>(Byte)));
    return Out;
}

namespace SystemServices {

char DecimalSeparator() {
    const locale_t Numeric = ::newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(0));
    if (Numeric == static_cast<locale_t>(0))
        return '.';
    // The separator comes in the locale's own encoding; a UTF-8 one is brought to the code
    // page, where a separator the page lacks becomes '?'.
    const std::string Separator = FromUtf8(::nl_langinfo_l(RADIXCHAR, Numeric));
    ::freelocale(Numeric);
    if (Separator.size() != 1 || Separator[0] == '?')
        return '.';
    return Separator[0];
}

namespace {

int OpenErrorNumber(int Code) {
    switch (Code) {
    case ENOENT:
    case ENOTDIR:
        return ErrFileNotFound;
    case EACCES:
    case EPERM:
        return ErrPermissionDenied;
    case EMFILE:
    case ENFILE:
        return ErrTooManyFiles;
    case ENOMEM:
        return ErrOutOfMemory;
    default:
        return ErrPathFileAccess;
    }
}

} // namespace

FileHandle OpenForReading(const std::string& Path, unsigned long long& Size) {
    // Non-blocking, so that opening a FIFO returns at once; it is then refused below.
    const int Descriptor = ::open(Path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (Descriptor < 0)
        throw RunTimeError(OpenErrorNumber(errno));
    struct stat Status;
    if (::fstat(Descriptor, &Status) != 0 || !S_ISREG(Status.st_mode)) {
        ::close(Descriptor);
        throw RunTimeError(ErrPathFileAccess);
    }
    Size = static_cast<unsigned long long>(Status.st_size);
    return Descriptor;
}

long ReadSome(FileHandle File, char* Into, std::size_t Size) {
    long Count;
    do
        Count = ::read(static_cast<int>(File), Into, Size);
    while (Count < 0 && errno == EINTR);
    return Count;
}

void CloseFile(FileHandle File) {
    ::close(static_cast<int>(File));
}

ModuleProcedure ModuleFunction(const std::string& Path, const char* Name) {
    void* Module = dlopen(Path.c_str(), RTLD_NOW | RTLD_LOCAL);
    void* Found = Module ? dlsym(Module, Name) : nullptr;
    ModuleProcedure Procedure = nullptr;
    // POSIX gives functions as object pointers; copied, not cast, to say so.
    std::memcpy(&Procedure, &Found, sizeof Procedure);
    return Procedure;
}

} // namespace SystemServices

} // namespace Varnock
