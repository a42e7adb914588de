// CShell::Execute through the Windows shell itself (run under Wine by `./dev test`). The
// document opened is a batch file, which runs without a window and writes down the parameters
// and the folder it was handed.

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "shell/CShell.h"
#include "tests/support/CoreTestSupport.h"

namespace Varnock {
namespace {

namespace fs = std::filesystem;
using Testing::TempDir;

// The file Path once something has written it, or "(none)" after ten seconds. The name can
// be there a moment before the file opens: the batch file's move may still hold it.
std::string WaitForFile(const fs::path& Path) {
    for (int Wait = 0; Wait < 1000; ++Wait) {
        if (std::ifstream In{Path, std::ios::binary})
            return {std::istreambuf_iterator<char>(In), {}};
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return "(none)";
}

class WindowsShell : public ::testing::Test {
protected:
    void SetUp() override {
        Work = Folder.Path("work dir");
        fs::create_directory(Work);
        Document = Folder.Write("report.bat", "@echo off\r\n"
                                              "echo [%*]> \"%~dp0log.part\"\r\n"
                                              "cd>> \"%~dp0log.part\"\r\n"
                                              "move \"%~dp0log.part\" \"%~dp0log.txt\" > nul\r\n");
        Log = fs::path(Folder.Path("log.txt"));
    }
    TempDir Folder;
    std::string Work;
    std::string Document;
    fs::path Log;
};

TEST_F(WindowsShell, MissingFilesGetTheShellsSmallNumbers) {
    struct Case {
        std::string FileName;
        std::int32_t Result;
    };
    const Case Cases[] = {
        {Folder.Path("missing.bat"), 2},
        {Folder.Path("missing.txt"), 2},
    };
    for (const auto& Row : Cases) {
        CShell Shell;
        Shell.SetWorkingDirectory(Work);
        EXPECT_EQ(Shell.Execute(Row.FileName), Row.Result) << Row.FileName;
    }
}

TEST_F(WindowsShell, ADocumentOpensWithTheParametersInTheWorkingDirectory) {
    CShell Shell;
    Shell.SetWorkingDirectory(Work);
    Shell.SetParameters("alpha beta");
    EXPECT_GT(Shell.Execute(Document), 32);
    EXPECT_EQ(WaitForFile(Log),
              "[alpha beta]\r\n" + fs::path(Work).make_preferred().string() + "\r\n");
    EXPECT_EQ(Shell.WorkingDirectory(), Work);
}

// The file name goes to the shell as the folder too; that names no folder, and the document
// opens in the current one.
TEST_F(WindowsShell, WithNoWorkingDirectoryTheFileNameIsHandedAsOne) {
    CShell Shell;
    EXPECT_GT(Shell.Execute(Document), 32);
    EXPECT_EQ(Shell.WorkingDirectory(), Document);
    EXPECT_EQ(WaitForFile(Log), "[]\r\n" + fs::current_path().string() + "\r\n");
}

} // namespace
} // namespace Varnock
