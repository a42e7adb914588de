// Exactly what CShell::Execute hands to the desktop's opener.

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <unistd.h>

#include <gtest/gtest.h>

#include "shell/CShell.h"
#include "shell/ShellSystem.h"
#include "tests/support/RecordedStart.h"

namespace Varnock {
namespace {

namespace fs = std::filesystem;

using Testing::Answer;
using Testing::Recorded;
using Testing::RecordStart;

class ShellExecute : public ::testing::Test {
protected:
    void SetUp() override {
        Recorded = {};
        Answer = 0;
        Previous = ShellSystem::SetStart(RecordStart);
    }
    void TearDown() override { ShellSystem::SetStart(Previous); }
    ShellSystem::StartFunction Previous = nullptr;
};

TEST_F(ShellExecute, HandsTheOpenerExactlyOneArgument) {
    const std::string Temp = fs::temp_directory_path().string();
    struct Case {
        std::string Directory; // set before the call; empty leaves it unset
        std::string FileName;
        std::string Argument;
        std::string HandedDirectory;
        std::string DirectoryAfter;
    };
    const Case Cases[] = {
        {"", "http://tervalin.test/", "http://tervalin.test/", "(none)", "http://tervalin.test/"},
        {Temp, "report.txt", "report.txt", Temp, Temp},
        {"/no/such/folder", "a b; rm -rf x", "a b; rm -rf x", "(none)", "/no/such/folder"},
        {Temp, "-h", "./-h", Temp, Temp},
        {Temp, "--version", "./--version", Temp, Temp},
        {"", Temp, Temp, Temp, Temp},
        {Temp, "caf\xE9", "caf\xC3\xA9", Temp, Temp}, // code page in, UTF-8 out
    };
    for (const auto& Row : Cases) {
        CShell Shell;
        if (!Row.Directory.empty())
            Shell.SetWorkingDirectory(Row.Directory);
        EXPECT_GT(Shell.Execute(Row.FileName), 32) << Row.FileName;
        ASSERT_EQ(Recorded.Calls, 1) << Row.FileName;
        EXPECT_EQ(Recorded.Program, "xdg-open");
        EXPECT_EQ(Recorded.Arguments, (std::vector<std::string>{"xdg-open", Row.Argument}));
        EXPECT_EQ(Recorded.Directory, Row.HandedDirectory) << Row.FileName;
        EXPECT_EQ(Shell.WorkingDirectory(), Row.DirectoryAfter) << Row.FileName;
        Recorded = {};
    }
}

TEST_F(ShellExecute, FailuresBecomeTheShellsSmallNumbers) {
    struct Case {
        int Errno;
        std::int32_t Result;
    };
    const Case Cases[] = {{ENOENT, 31}, {EACCES, 5}, {ENOMEM, 8}, {ENOEXEC, 11}, {EIO, 0}};
    for (const auto& Row : Cases) {
        Answer = Row.Errno;
        EXPECT_EQ(CShell().Execute("http://tervalin.test/"), Row.Result) << Row.Errno;
    }
    Answer = 0;
    Recorded = {};
    EXPECT_EQ(CShell().Execute(""), 2);
    EXPECT_EQ(Recorded.Calls, 0);
}

TEST_F(ShellExecute, LaterCallsKeepTheDirectoryTheFirstOneStored) {
    CShell Shell;
    Shell.Execute("/tmp");
    Shell.Execute("http://tervalin.test/");
    EXPECT_EQ(Shell.WorkingDirectory(), "/tmp");
    EXPECT_EQ(Recorded.Directory, "/tmp");
    EXPECT_EQ(Recorded.Calls, 2);
}

// The real start, with a stand-in opener on PATH that writes down its arguments, each ended by
// a NUL so that line breaks inside one stay visible, and then its directory.
TEST(ShellStart, RealOpenerGetsTheArgumentAndDirectoryUnchanged) {
    const fs::path Bin = fs::temp_directory_path() / ("varnock-shell-" + std::to_string(getpid()));
    const fs::path Work = Bin / "work dir";
    fs::create_directories(Work);
    const fs::path Log = Bin / "log";
    {
        std::ofstream Script(Bin / "xdg-open");
        Script << "#!/bin/sh\n"
                  "{ for Word; do printf '%s' \"$Word\"; printf '\\000'; done; pwd; } > '"
               << Log.string() << ".part'\nmv '" << Log.string() << ".part' '" << Log.string()
               << "'\n";
    }
    fs::permissions(Bin / "xdg-open", fs::perms::owner_all);
    const std::string OldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", (Bin.string() + ":" + OldPath).c_str(), 1);

    struct Case {
        std::string FileName, Argument;
    };
    for (const Case& Row :
         {Case{"-n $(touch pwned) 'x' \"y\"", "./-n $(touch pwned) 'x' \"y\""},
          Case{"http://tervalin.test/a?b=1&c=2;touch pwned",
               "http://tervalin.test/a?b=1&c=2;touch pwned"},
          Case{"`touch pwned` a\nb\tc", "`touch pwned` a\nb\tc"}, Case{"--help\n", "./--help\n"}}) {
        fs::remove(Log);
        CShell Shell;
        Shell.SetWorkingDirectory(Work.string());
        EXPECT_GT(Shell.Execute(Row.FileName), 32);
        for (int Wait = 0; Wait < 500 && !fs::exists(Log); ++Wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::ifstream In(Log, std::ios::binary);
        const std::string Written{std::istreambuf_iterator<char>(In), {}};
        EXPECT_EQ(Written, Row.Argument + '\0' + Work.string() + '\n') << Row.FileName;
    }
    EXPECT_FALSE(fs::exists(Work / "pwned"));

    // With no opener to be found, the shell's "no association".
    setenv("PATH", (Bin / "empty").string().c_str(), 1);
    EXPECT_EQ(CShell().Execute("http://tervalin.test/"), 31);
    setenv("PATH", OldPath.c_str(), 1);
    fs::remove_all(Bin);
}

} // namespace
} // namespace Varnock
