#include <fstream>
#include <iterator>
#include <string>

#include <windows.h>

#include <gtest/gtest.h>

#include "tests/support/TestSystem.h"

namespace Varnock {
namespace {

std::wstring Wide(const std::string& Text) {
    return std::wstring(Text.begin(), Text.end()); // the paths and arguments here are ASCII
}

struct Finished {
    DWORD Status;
    std::string Out;
    std::string Err;
};

// varnock.exe with Input as its standard input and files for its output, as a console or a
// script hands them over: a window program, it must write to the handles it was given.
Finished RunProgram(const std::string& Arguments, const std::string& Input) {
    const Testing::TempDir Folder;
    Folder.Write("in", Input);
    SECURITY_ATTRIBUTES Inherited{sizeof Inherited, nullptr, TRUE};
    const auto Open = [&](const char* Name, bool Write) {
        return CreateFileA(Folder.Path(Name).c_str(), Write ? GENERIC_WRITE : GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, &Inherited,
                           Write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    STARTUPINFOW Start{};
    Start.cb = sizeof Start;
    Start.dwFlags = STARTF_USESTDHANDLES;
    Start.hStdInput = Open("in", false);
    Start.hStdOutput = Open("out", true);
    Start.hStdError = Open("err", true);
    // Under Wine the build's paths are those of the host, which drive Z: holds.
    std::string Program = VARNOCK_PROGRAM;
    if (!Program.empty() && Program[0] == '/')
        Program = "Z:" + Program;
    std::wstring CommandLine = L"\"" + Wide(Program) + L"\" " + Wide(Arguments);
    PROCESS_INFORMATION Started{};
    const BOOL Ran = CreateProcessW(Wide(Program).c_str(), CommandLine.data(), nullptr, nullptr,
                                    TRUE, 0, nullptr, nullptr, &Start, &Started);
    for (HANDLE Handle : {Start.hStdInput, Start.hStdOutput, Start.hStdError})
        CloseHandle(Handle);
    if (!Ran)
        return {~0u, "", ""};
    WaitForSingleObject(Started.hProcess, INFINITE);
    DWORD Status = 0;
    GetExitCodeProcess(Started.hProcess, &Status);
    CloseHandle(Started.hThread);
    CloseHandle(Started.hProcess);
    const auto Contents = [&](const char* Name) {
        std::ifstream In(Folder.Path(Name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>());
    };
    return {Status, Contents("out"), Contents("err")};
}

TEST(CommandLineProgram, WritesToTheHandlesItWasGivenWithWindowsLineEnds) {
    const Finished Mass = RunProgram("--point --mass H2O", "");
    EXPECT_EQ(Mass.Status, 0u);
    EXPECT_EQ(Mass.Out, "18.015 g\r\n");
    EXPECT_EQ(Mass.Err, "");

    const Finished Listed = RunProgram("--point --list -", "H2O\r\nXx\r\n");
    EXPECT_EQ(Listed.Status, 1u);
    EXPECT_EQ(Listed.Out, "formula\tmass (g)\tnotices\r\nH2O\t18.015\t\r\n"
                          "Xx\t\tElement: Xx Doesn't exist in database\r\n");
}

} // namespace
} // namespace Varnock
