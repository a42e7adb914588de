#include "cli/Console.h"

#include <fcntl.h>
#include <io.h>

#include <windows.h>

#include <shellapi.h>

namespace Varnock::Console {

namespace {

std::string Utf8(const wchar_t* Text, int Size) {
    const int Length = WideCharToMultiByte(CP_UTF8, 0, Text, Size, nullptr, 0, nullptr, nullptr);
    if (Length <= 0)
        return {};
    std::string Result(static_cast<std::size_t>(Length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, Text, Size, Result.data(), Length, nullptr, nullptr);
    return Result;
}

std::wstring Wide(const std::string& Text) {
    const int Size = static_cast<int>(Text.size());
    const int Length = MultiByteToWideChar(CP_UTF8, 0, Text.data(), Size, nullptr, 0);
    std::wstring Result(static_cast<std::size_t>(Length > 0 ? Length : 0), L'\0');
    if (Length > 0)
        MultiByteToWideChar(CP_UTF8, 0, Text.data(), Size, Result.data(), Length);
    return Result;
}

Handle Standard(DWORD Which) {
    const HANDLE Found = GetStdHandle(Which);
    return Found == nullptr || Found == INVALID_HANDLE_VALUE ? NoHandle
                                                             : reinterpret_cast<Handle>(Found);
}

} // namespace

const char* const LineEnd = "\r\n";
const char PathSeparator = '\\';

Handle StandardInput() {
    return Standard(STD_INPUT_HANDLE);
}
Handle StandardOutput() {
    return Standard(STD_OUTPUT_HANDLE);
}
Handle StandardError() {
    return Standard(STD_ERROR_HANDLE);
}

Handle OpenInput(const std::string& Path) {
    const HANDLE File = CreateFileW(Wide(Path).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    return File == INVALID_HANDLE_VALUE ? NoHandle : reinterpret_cast<Handle>(File);
}

long Read(Handle From, char* Into, std::size_t Size) {
    if (From == NoHandle)
        return 0;
    DWORD Count = 0;
    if (!ReadFile(reinterpret_cast<HANDLE>(From), Into, static_cast<DWORD>(Size), &Count, nullptr))
        // The writer of a pipe closing it ends the input.
        return GetLastError() == ERROR_BROKEN_PIPE ? 0 : -1;
    return static_cast<long>(Count);
}

bool Write(Handle To, const char* Bytes, std::size_t Size) {
    if (To == NoHandle)
        return false;
    while (Size > 0) {
        DWORD Count = 0;
        if (!WriteFile(reinterpret_cast<HANDLE>(To), Bytes, static_cast<DWORD>(Size), &Count,
                       nullptr) ||
            Count == 0)
            return false;
        Bytes += Count;
        Size -= Count;
    }
    return true;
}

void Close(Handle File) {
    CloseHandle(reinterpret_cast<HANDLE>(File));
}

std::vector<std::string> Arguments(int Argc, char** Argv) {
    // The ANSI arguments lose what the code page lacks; the wide ones keep every character.
    int Count = 0;
    wchar_t** Wide = CommandLineToArgvW(GetCommandLineW(), &Count);
    if (!Wide)
        return std::vector<std::string>(Argv, Argv + Argc);
    std::vector<std::string> Read;
    for (int Index = 0; Index < Count; ++Index)
        Read.push_back(Utf8(Wide[Index], static_cast<int>(wcslen(Wide[Index]))));
    LocalFree(Wide);
    return Read;
}

std::string ProgramFolder() {
    wchar_t Path[MAX_PATH * 4];
    const DWORD Length = GetModuleFileNameW(nullptr, Path, MAX_PATH * 4);
    if (Length == 0 || Length >= MAX_PATH * 4)
        return {};
    const std::string File = Utf8(Path, static_cast<int>(Length));
    return File.substr(0, File.find_last_of("\\/"));
}

void AttachToConsole() {
    // A window program has no standard handles unless it was given some (a pipe, a file):
    // it then writes to the console of the program that started it, if there is one.
    if (StandardOutput() == NoHandle && AttachConsole(ATTACH_PARENT_PROCESS)) {
        const auto Open = [](const wchar_t* Name) {
            return CreateFileW(Name, GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                               nullptr);
        };
        SetStdHandle(STD_OUTPUT_HANDLE, Open(L"CONOUT$"));
        SetStdHandle(STD_ERROR_HANDLE, Open(L"CONOUT$"));
        if (StandardInput() == NoHandle)
            SetStdHandle(STD_INPUT_HANDLE, Open(L"CONIN$"));
    }
    SetConsoleOutputCP(CP_UTF8);
}

int StartWindow(const std::string& Folder, const char*) {
    std::wstring Program = Wide(Folder + "\\varnock-window.exe");
    std::wstring CommandLine = L"\"" + Program + L"\"";
    STARTUPINFOW Start{};
    Start.cb = sizeof Start;
    PROCESS_INFORMATION Started{};
    if (!CreateProcessW(Program.c_str(), CommandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &Start, &Started))
        return 127;
    CloseHandle(Started.hThread);
    CloseHandle(Started.hProcess);
    return 0;
}

void WriteOnSignals(Handle, const char*, const volatile std::size_t*) {
    // Ctrl+C ends a Windows console program without a handler of ours; the buffer is flushed
    // before every read of the input, so a list read from the console keeps its lines.
}

} // namespace Varnock::Console
