#include "core/SystemServices.h"

#include <algorithm>
#include <string_view>

#include <windows.h>

#include "core/RunTimeError.h"

// The core's single-byte code page is the system's ANSI code page (CP_ACP).

namespace Varnock {

namespace {

std::wstring Widen(std::string_view Text, UINT From) {
    if (Text.empty())
        return {};
    const int Size = static_cast<int>(Text.size());
    const int Wide = MultiByteToWideChar(From, 0, Text.data(), Size, nullptr, 0);
    if (Wide <= 0)
        return {};
    std::wstring Buffer(static_cast<std::size_t>(Wide), L'\0');
    MultiByteToWideChar(From, 0, Text.data(), Size, Buffer.data(), Wide);
    return Buffer;
}

// A character beyond the 16-bit range, a surrogate pair, as one character: U+FFFD, which no
// single-byte page holds.
std::wstring JoinSurrogatePairs(std::wstring_view Text) {
    std::wstring Joined;
    Joined.reserve(Text.size());
    for (std::size_t At = 0; At < Text.size(); ++At) {
        const bool Pair = Text[At] >= 0xD800 && Text[At] <= 0xDBFF && At + 1 < Text.size() &&
                          Text[At + 1] >= 0xDC00 && Text[At + 1] <= 0xDFFF;
        Joined += Pair ? L'\uFFFD' : Text[At];
        At += Pair ? 1 : 0;
    }
    return Joined;
}

std::string Narrow(std::wstring_view Whole, UINT To) {
    if (Whole.empty())
        return {};
    // The page takes each half of a pair for a character of its own.
    const std::wstring Joined = To == CP_UTF8 ? std::wstring() : JoinSurrogatePairs(Whole);
    const std::wstring_view Text = To == CP_UTF8 ? Whole : std::wstring_view(Joined);
    // Without WC_NO_BEST_FIT_CHARS a character the page lacks is swapped for a look-alike
    // (a fullwidth H for H, a fullwidth solidus for a slash) and read as something it is not.
    const DWORD Flags = To == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const char* Default = To == CP_UTF8 ? nullptr : "?";
    const int Size = static_cast<int>(Text.size());
    const int Length =
        WideCharToMultiByte(To, Flags, Text.data(), Size, nullptr, 0, Default, nullptr);
    if (Length <= 0)
        return {};
    std::string Result(static_cast<std::size_t>(Length), '\0');
    WideCharToMultiByte(To, Flags, Text.data(), Size, Result.data(), Length, Default, nullptr);
    return Result;
}

} // namespace

unsigned char UpperCase(unsigned char Code) {
    char Character = static_cast<char>(Code);
    CharUpperBuffA(&Character, 1);
    return static_cast<unsigned char>(Character);
}

std::string FromUtf8(std::string_view Utf8) {
    return Narrow(Widen(Utf8, CP_UTF8), CP_ACP);
}

std::string ToUtf8(std::string_view Bytes) {
    return Narrow(Widen(Bytes, CP_ACP), CP_UTF8);
}

namespace SystemServices {

char DecimalSeparator() {
    wchar_t Separator[8] = {};
    const int Length = GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, Separator, 8);
    // Length counts the closing null.
    if (Length != 2)
        return '.';
    const std::string Code = Narrow(std::wstring_view(Separator, 1), CP_ACP);
    if (Code.size() != 1 || Code[0] == '?')
        return '.';
    return Code[0];
}

namespace {

int OpenErrorNumber(DWORD Code, const std::string& Path) {
    switch (Code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_DIRECTORY:
        return ErrFileNotFound;
    case ERROR_ACCESS_DENIED: {
        // Opening a folder as a file is refused as access denied; it is a path that names no
        // file rather than one the user may not read.
        const DWORD Attributes = GetFileAttributesA(Path.c_str());
        if (Attributes != INVALID_FILE_ATTRIBUTES && (Attributes & FILE_ATTRIBUTE_DIRECTORY))
            return ErrPathFileAccess;
        return ErrPermissionDenied;
    }
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return ErrPermissionDenied;
    case ERROR_TOO_MANY_OPEN_FILES:
        return ErrTooManyFiles;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return ErrOutOfMemory;
    default:
        return ErrPathFileAccess;
    }
}

} // namespace

FileHandle OpenForReading(const std::string& Path, unsigned long long& Size) {
    // Others may go on reading, writing or replacing the table meanwhile, as they can on
    // other systems.
    const HANDLE File = CreateFileA(Path.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (File == INVALID_HANDLE_VALUE)
        throw RunTimeError(OpenErrorNumber(GetLastError(), Path));
    // A pipe or a device (CON, NUL, COM1) would block or never end; only a disk file is read.
    LARGE_INTEGER Length;
    if (GetFileType(File) != FILE_TYPE_DISK || !GetFileSizeEx(File, &Length)) {
        CloseHandle(File);
        throw RunTimeError(ErrPathFileAccess);
    }
    Size = static_cast<unsigned long long>(Length.QuadPart);
    return reinterpret_cast<FileHandle>(File);
}

long ReadSome(FileHandle File, char* Into, std::size_t Size) {
    const auto Asked = static_cast<DWORD>(std::min<std::size_t>(Size, 1u << 30));
    DWORD Count = 0;
    if (!ReadFile(reinterpret_cast<HANDLE>(File), Into, Asked, &Count, nullptr))
        return -1;
    return static_cast<long>(Count);
}

void CloseFile(FileHandle File) {
    CloseHandle(reinterpret_cast<HANDLE>(File));
}

ModuleProcedure ModuleFunction(const std::string& Path, const char* Name) {
    // The module's own folder is searched for what it needs, not the current one.
    const HMODULE Module = LoadLibraryExA(Path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    return Module ? reinterpret_cast<ModuleProcedure>(GetProcAddress(Module, Name)) : nullptr;
}

} // namespace SystemServices

} // namespace Varnock
