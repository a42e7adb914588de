// The core against the Windows system itself (run under Wine by `./dev test`): the ANSI code
// page and its uppercase mapping, the user's decimal separator, and files that only Windows
// has (ANSI names, sharing locks, devices and pipes).

#include <atomic>
#include <chrono>
#include <fstream>
#include <string>
#include <thread>
#include <utility>

#include <windows.h>

#include <gtest/gtest.h>

#include "core/Calculation.h"
#include "core/ElementTable.h"
#include "core/FormulaParser.h"
#include "core/SystemServices.h"
#include "core/TextRules.h"
#include "tests/support/CoreTestSupport.h"

namespace Varnock {
namespace {

using Testing::ErrorNumberOf;
using Testing::OpenDescriptorCount;
using Testing::RecordingView;
using Testing::TempDir;

// Windows-1252's own uppercase pairs, written out independently of any system call.
unsigned char Upper1252(unsigned char Code) {
    if ((Code >= 'a' && Code <= 'z') || (Code >= 0xE0 && Code <= 0xFE && Code != 0xF7))
        return static_cast<unsigned char>(Code - 0x20);
    if (Code == 0x9A || Code == 0x9C || Code == 0x9E) // s caron, oe, z caron
        return static_cast<unsigned char>(Code - 0x10);
    return Code == 0xFF ? 0x9F : Code; // y diaeresis
}

TEST(WindowsCodePage, TheSystemsAnsiPageAndUppercaseMatchWhatOtherSystemsAssume) {
    // The tables of the other systems' build stand for this page.
    ASSERT_EQ(GetACP(), 1252u);
    for (int Code = 0; Code < 256; ++Code) {
        const auto Byte = static_cast<unsigned char>(Code);
        EXPECT_EQ(UpperCase(Byte), Upper1252(Byte)) << "code " << Code;
    }
    // A formula's entries follow the system's mapping: s caron is a second letter, the
    // multiplication sign starts an entry of its own.
    const std::pair<std::string, int> Formulas[] = {
        {"S\x9A", 2}, {"\xD7\xD7", 3}, {"\xDF", 2}, {"\xFF", 1}, {"O\xFF", 2}};
    for (const auto& [Formula, Result] : Formulas) {
        BasVarnock Table;
        Value Compound = Formula;
        EXPECT_EQ(GetElements(Table, Compound), Result) << ::testing::PrintToString(Formula);
    }
}

TEST(WindowsCodePage, LookAlikesOutsideThePageAreNotSwappedIn) {
    const std::pair<std::string, std::string> Cases[] = {
        {"\xEF\xBC\xA8"
         "2O",
         "?2O"}, // fullwidth H
        {"a\xEF\xBC\x8F"
         "b",
         "a?b"},                              // fullwidth solidus
        {"\xE2\x80\xB3", "?"},                // double prime
        {"\xC4\x80", "?"},                    // A macron
        {"\xE2\x84\xAA", "?"},                // Kelvin sign
        {"\xC3\x89\xE2\x82\xAC", "\xC9\x80"}, // E acute and the euro sign are on the page
    };
    for (const auto& [Utf8, Bytes] : Cases) {
        SCOPED_TRACE(::testing::PrintToString(Utf8));
        EXPECT_EQ(FromUtf8(Utf8), Bytes);
    }
}

// Sets the user's decimal separator as the regional settings do, and puts the old one back.
class WindowsDecimalSeparator : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_GT(GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, Saved, 8), 0);
    }
    void TearDown() override { SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, Saved); }
    static bool SetSeparator(const wchar_t* Separator) {
        return SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, Separator) != 0;
    }
    wchar_t Saved[8] = {};
};

// One test, since the setting is the user's and tests run side by side.
TEST_F(WindowsDecimalSeparator, ComesFromTheUsersRegionalSettingsIntoTheReport) {
    struct Case {
        const wchar_t* Setting;
        char Separator;
    };
    const Case Cases[] = {
        {L",", ','},      {L".", '.'},  {L"\u00B7", '\xB7'}, // middle dot, on the page
        {L"\u066B", '.'},                                    // Arabic separator, not on the page
        {L",,", '.'},     {L"'", '\''},
    };
    for (const auto& Each : Cases) {
        SCOPED_TRACE(static_cast<int>(static_cast<unsigned char>(Each.Separator)));
        ASSERT_TRUE(SetSeparator(Each.Setting));
        EXPECT_EQ(SystemServices::DecimalSeparator(), Each.Separator);
    }

    ASSERT_TRUE(SetSeparator(L","));
    const char Separator = SystemServices::DecimalSeparator();
    ASSERT_EQ(Separator, ',');
    EXPECT_EQ(NumberText(2.01588, Separator), "2,01588");
    EXPECT_EQ(NumberText(18.015, Separator), "18,015");
    EXPECT_EQ(PercentText(11.1901, Separator), "11,19");
    EXPECT_EQ(PercentText(100, Separator), "100,");

    const TempDir Folder;
    const ElementTable Elements(
        Folder.Write("elements.dat", "\"H\",1,1.008\r\n\"O\",8,15.999\r\n"));
    BasVarnock Entries;
    RecordingView View;
    Calculate(Entries, "H2O", Elements, View, Separator);
    EXPECT_EQ(View.Report, " H*2=\t2,016\t  11,19%  \r\n"
                           " O*1=\t15,999\t  88,81%  \r\n"
                           "============================\r\nTotal: \t18,015\t  100%\r\n");
    EXPECT_EQ(View.Mass, "18,015 g");
}

// Handles of the process: the count the other tests rely on to see a file left open.
TEST(WindowsFiles, HandleCountSeesAnOpenFile) {
    const TempDir Folder;
    const std::string Path = Folder.Write("elements.dat", "\"H\",1,1\r\n");
    const int Before = OpenDescriptorCount();
    const HANDLE File = CreateFileA(Path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(File, INVALID_HANDLE_VALUE);
    EXPECT_EQ(OpenDescriptorCount(), Before + 1);
    CloseHandle(File);
    EXPECT_EQ(OpenDescriptorCount(), Before);
}

TEST(WindowsFiles, NamesAreInTheAnsiCodePage) {
    const TempDir Folder;
    {
        // Written under its Unicode name, so that only the reader goes through the page.
        std::ofstream Out(std::filesystem::path(Folder.Path("")) / L"caf\u00E9 \u00C6.dat",
                          std::ios::binary);
        ASSERT_TRUE(Out << "\"H\",1,7\r\n");
    }
    // The standard library takes narrow names for UTF-8; the core's are bytes of the page.
    const std::string AnsiName = Folder.Path("") + "caf\xE9 \xC6.dat";
    EXPECT_DOUBLE_EQ(ElementTable(AnsiName).WeightOfSymbol("H").AsDouble(), 7);
    // A name the page cannot spell reaches no file.
    EXPECT_EQ(ErrorNumberOf([&] { ElementTable(Folder.Path("caf?.dat")).WeightOfSymbol("H"); }),
              ErrFileNotFound);
}

TEST(WindowsFiles, AFileLockedByAnotherProgramIsPermissionDenied) {
    const TempDir Folder;
    const std::string Path = Folder.Write("elements.dat", "\"H\",1,1\r\n");
    struct Case {
        const char* Name;
        DWORD Access;
        DWORD Share;
        int Number;
    };
    const Case Cases[] = {
        {"held with no sharing", GENERIC_READ, 0, ErrPermissionDenied},
        {"held for writing, shared for writing only", GENERIC_WRITE, FILE_SHARE_WRITE,
         ErrPermissionDenied},
        {"being written, readers welcome", GENERIC_WRITE, FILE_SHARE_READ, 0},
        {"being read by another", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, 0},
    };
    for (const auto& Each : Cases) {
        SCOPED_TRACE(Each.Name);
        const HANDLE Holder = CreateFileA(Path.c_str(), Each.Access, Each.Share, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(Holder, INVALID_HANDLE_VALUE);
        const int Before = OpenDescriptorCount();
        EXPECT_EQ(ErrorNumberOf([&] { ElementTable(Path).WeightOfSymbol("H"); }), Each.Number);
        EXPECT_EQ(OpenDescriptorCount(), Before);
        CloseHandle(Holder);
    }
}

TEST(WindowsFiles, DevicesAndPipesAreRefusedWithoutWaiting) {
    const std::string Pipe = "\\\\.\\pipe\\varnock-test-" + std::to_string(GetCurrentProcessId());
    HANDLE Server = CreateNamedPipeA(Pipe.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE, 1, 4096,
                                     4096, 0, nullptr);
    ASSERT_NE(Server, INVALID_HANDLE_VALUE);
    for (const std::string& Path : {std::string("NUL"), std::string("\\\\.\\NUL"), Pipe}) {
        SCOPED_TRACE(Path);
        // Counted in the thread that reads, so that the thread's own handles stay out; this
        // thread waits by sleeping, since a wait on a future may make a handle of its own
        // while the other counts.
        std::atomic<bool> Done = false;
        int Number = 0, Opened = 0;
        std::thread Lookup([&] {
            const int Before = OpenDescriptorCount();
            Number = ErrorNumberOf([&] { ElementTable(Path).WeightOfSymbol("H"); });
            Opened = OpenDescriptorCount() - Before;
            Done = true;
        });
        for (int Wait = 0; Wait < 1000 && !Done; ++Wait)
            Sleep(10);
        if (!Done) {
            ADD_FAILURE() << "reading a device blocked";
            // Closing the pipe's other end lets the blocked reader go, so that the test ends.
            CloseHandle(Server);
            Server = INVALID_HANDLE_VALUE;
        }
        Lookup.join();
        EXPECT_EQ(Number, ErrPathFileAccess);
        EXPECT_EQ(Opened, 0);
    }
    if (Server != INVALID_HANDLE_VALUE)
        CloseHandle(Server);
}

} // namespace
} // namespace Varnock
