#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "tests/support/TestSystem.h"

namespace Varnock {
namespace {

struct Finished {
    int Status;
    std::string Out;
    std::string Err;
};

std::string Contents(const std::string& Path) {
    std::ifstream In(Path, std::ios::binary);
    return {std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>()};
}

// The shell's words for varnock with Arguments, no display in its environment but Display
// (a NAME=value), and Folder's files "in" and "err" for standard input and error.
std::string Command(const std::string& Arguments, const std::string& Display,
                    const Testing::TempDir& Folder) {
    return "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " + Display +
           " '" VARNOCK_PROGRAM "' " + Arguments + " <'" + Folder.Path("in") + "' 2>'" +
           Folder.Path("err") + "'";
}

// Output goes to files, so nothing waits on a full pipe; Stdout names another place for it,
// which is not read back.
Finished RunProgram(const std::string& Arguments, const std::string& Input = "",
                    const std::string& Display = "", const std::string& Stdout = "") {
    const Testing::TempDir Folder;
    Folder.Write("in", Input);
    const std::string Out = Stdout.empty() ? Folder.Path("out") : Stdout;
    const int Status =
        std::system((Command(Arguments, Display, Folder) + " >'" + Out + "'").c_str());
    return {WIFEXITED(Status) ? WEXITSTATUS(Status) : -1,
            Stdout.empty() ? Contents(Out) : std::string(), Contents(Folder.Path("err"))};
}

TEST(CommandLineProgram, RunsWithoutADisplay) {
    const Finished Mass = RunProgram("--mass H2O");
    EXPECT_EQ(Mass.Status, 0);
    EXPECT_EQ(Mass.Out, "18.015 g\n");
    EXPECT_EQ(Mass.Err, "");

    // A reading note keeps the mass and the status 0; a refusal gives 1.
    const Finished Listed = RunProgram("--list -", "H2O\nFe3+\n");
    EXPECT_EQ(Listed.Status, 0);
    EXPECT_EQ(Listed.Out, "formula\tmass (g)\tnotices\nH2O\t18.015\t\n"
                          "Fe3+\t55.845\tFormula: character 4 \"+\": read as Fe^3+; for "
                          "Fe\xC3\x97"
                          "3 with charge 1+ write Fe3^+\n");
    EXPECT_EQ(RunProgram("--mass 'Fe+2 3'").Status, 1);

    // More than the 64 KiB the output waits in comes out whole, in order.
    std::string Input, Expected = "formula\tmass (g)\tnotices\n";
    for (int Line = 1; Line <= 5000; ++Line) {
        Input += std::to_string(Line) + "H2\n";
        // Line × 2 × 1.008 in thousandths, written without trailing zeros.
        std::string Mass = std::to_string(Line * 2016 / 1000) + "." +
                           std::to_string(Line * 2016 % 1000 + 1000).substr(1);
        Mass.erase(Mass.find_last_not_of('0') + 1);
        if (Mass.back() == '.')
            Mass.pop_back();
        Expected += std::to_string(Line) + "H2\t" + Mass + "\t\n";
    }
    const Finished Long = RunProgram("--list -", Input);
    EXPECT_EQ(Long.Status, 0);
    EXPECT_GT(Long.Out.size(), 65536u);
    EXPECT_TRUE(Long.Out == Expected)
        << "the first difference at byte "
        << std::mismatch(Long.Out.begin(), Long.Out.end(), Expected.begin(), Expected.end()).first -
               Long.Out.begin();

    // A folder is no list: it fails on reading, after the heading.
    const Testing::TempDir Folder;
    const Finished Directory = RunProgram("--list '" + Folder.Path("") + "'");
    EXPECT_EQ(Directory.Status, 1);
    EXPECT_EQ(Directory.Out, "formula\tmass (g)\tnotices\n");
    EXPECT_EQ(Directory.Err, "varnock: Error number 57 occured reading " + Folder.Path("") + "\n");

    // Output that can't be written is said so, not taken for success.
    const Finished Full = RunProgram("--mass H2O", "", "", "/dev/full");
    EXPECT_EQ(Full.Status, 1);
    EXPECT_EQ(Full.Err, "varnock: write error\n");
}

// A stand-in X server: it listens where a client of display :Number connects first, the
// abstract socket, and only counts who comes.
class FakeDisplay {
public:
    FakeDisplay() {
        for (Number = 4000 + getpid() % 1000; Number < 6000; Number += 7) {
            Socket = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
            sockaddr_un Address{};
            Address.sun_family = AF_UNIX;
            const std::string Name = "/tmp/.X11-unix/X" + std::to_string(Number);
            std::memcpy(Address.sun_path + 1, Name.data(), Name.size());
            const auto Length =
                static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + Name.size());
            if (bind(Socket, reinterpret_cast<sockaddr*>(&Address), Length) == 0 &&
                listen(Socket, 8) == 0)
                return;
            close(Socket);
        }
        Socket = -1;
    }
    ~FakeDisplay() {
        if (Socket >= 0)
            close(Socket);
    }
    std::string Display() const { return "DISPLAY=:" + std::to_string(Number); }
    // Whether a client has connected, waiting up to Patience for one.
    bool Visited(std::chrono::milliseconds Patience) const {
        const auto Until = std::chrono::steady_clock::now() + Patience;
        do {
            const int Client = accept(Socket, nullptr, nullptr);
            if (Client >= 0) {
                close(Client); // the client finds no server and gives up
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        } while (std::chrono::steady_clock::now() < Until);
        return false;
    }
    int Socket = -1;
    int Number = 0;
};

TEST(CommandLineProgram, WritesNothingToTheDisplay) {
    FakeDisplay Fake;
    ASSERT_GE(Fake.Socket, 0);
    EXPECT_EQ(RunProgram("H2O", "", Fake.Display()).Status, 0);
    EXPECT_EQ(RunProgram("--list -", "NaCl\n", Fake.Display()).Status, 0);
    EXPECT_EQ(RunProgram("--help", "", Fake.Display()).Status, 0);
    EXPECT_FALSE(Fake.Visited(std::chrono::milliseconds(0)));

    // The window program beside it does connect: the stand-in sees a client when one comes.
    if (access(VARNOCK_PROGRAM "-window", X_OK) != 0)
        GTEST_SKIP() << "no window program in this build";
    const Testing::TempDir Folder;
    Folder.Write("in", "");
    ASSERT_EQ(std::system((Command("", Fake.Display() + " QT_QPA_PLATFORM=xcb", Folder) +
                           " >/dev/null & echo $! >'" + Folder.Path("pid") + "'")
                              .c_str()),
              0);
    EXPECT_TRUE(Fake.Visited(std::chrono::seconds(20)));
    kill(std::stoi(Contents(Folder.Path("pid"))), SIGKILL);
}

} // namespace
} // namespace Varnock
