// The element table reader against what only POSIX systems have: file mode bits, FIFOs and
// symbolic links.

#include <chrono>
#include <filesystem>
#include <future>
#include <string>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/ElementTable.h"
#include "tests/support/CoreTestSupport.h"

namespace Varnock {
namespace {

using Testing::ErrorNumberOf;
using Testing::OpenDescriptorCount;
using Testing::TempDir;

// Root reads every file whatever its bits, so the lookups run in a child that gives root up.
// The child's exit status is the unreadable file's error number, or 1 when the readable one
// beside it failed or a descriptor was left open.
TEST(ElementTableTest, UnreadableFileIsPermissionDenied) {
    const TempDir Folder;
    ASSERT_EQ(::chmod(Folder.Path("").c_str(), 0755), 0);
    const std::string Readable = Folder.Write("readable.dat", "\"H\",1,1\r\n");
    const std::string Unreadable = Folder.Write("elements.dat", "\"H\",1,1\r\n");
    ASSERT_EQ(::chmod(Readable.c_str(), 0644), 0);
    ASSERT_EQ(::chmod(Unreadable.c_str(), 0), 0);
    const pid_t Child = ::fork();
    ASSERT_GE(Child, 0);
    if (Child == 0) {
        constexpr uid_t Nobody = 65534;
        if (::geteuid() == 0 && (::setgid(Nobody) != 0 || ::setuid(Nobody) != 0))
            ::_exit(2);
        const int Before = OpenDescriptorCount();
        const bool ReadableRead =
            ErrorNumberOf([&] { ElementTable(Readable).WeightOfSymbol("H"); }) == 0;
        const int Number = ErrorNumberOf([&] { ElementTable(Unreadable).WeightOfSymbol("H"); });
        ::_exit(ReadableRead && OpenDescriptorCount() == Before ? Number : 1);
    }
    int Status = 0;
    ASSERT_EQ(::waitpid(Child, &Status, 0), Child);
    ASSERT_TRUE(WIFEXITED(Status));
    ASSERT_NE(WEXITSTATUS(Status), 2) << "could not give up root";
    EXPECT_EQ(WEXITSTATUS(Status), ErrPermissionDenied);
}

TEST(ElementTableTest, FifoIsRefusedWithoutWaitingForAWriter) {
    const TempDir Folder;
    const std::string Path = Folder.Path("elements.dat");
    ASSERT_EQ(::mkfifo(Path.c_str(), 0600), 0);
    const int Before = OpenDescriptorCount();
    auto Lookup = std::async(std::launch::async, [&] {
        return ErrorNumberOf([&] { ElementTable(Path).WeightOfSymbol("H"); });
    });
    if (Lookup.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
        ADD_FAILURE() << "opening a FIFO blocked";
        // Let the blocked reader go, so that the test can end.
        const int Writer = ::open(Path.c_str(), O_WRONLY);
        if (Writer >= 0)
            ::close(Writer);
    }
    EXPECT_EQ(Lookup.get(), ErrPathFileAccess);
    EXPECT_EQ(OpenDescriptorCount(), Before);
}

TEST(ElementTableTest, SymbolicLinksThatLeadToNoFileRaiseNumberedErrors) {
    const TempDir Folder;
    const std::filesystem::path Base = Folder.Folder();
    std::filesystem::create_symlink("loop.dat", Base / "elements.dat");
    std::filesystem::create_symlink("elements.dat", Base / "loop.dat");
    std::filesystem::create_symlink("gone.dat", Base / "dangling.dat");
    struct Case {
        const char* Name;
        std::string Path;
        int Number;
    };
    const Case Cases[] = {
        {"a loop", Folder.Path("elements.dat"), ErrPathFileAccess},
        {"a link to nothing", Folder.Path("dangling.dat"), ErrFileNotFound},
    };
    for (const auto& Each : Cases) {
        SCOPED_TRACE(Each.Name);
        const int Before = OpenDescriptorCount();
        EXPECT_EQ(ErrorNumberOf([&] { ElementTable(Each.Path).WeightOfSymbol("H"); }), Each.Number);
        EXPECT_EQ(OpenDescriptorCount(), Before);
    }
}

} // namespace
} // namespace Varnock
