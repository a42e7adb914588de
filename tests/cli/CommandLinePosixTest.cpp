#include <chrono>
#include <cstddef>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "tests/support/TestSystem.h"

extern char** environ;

namespace Varnock {
namespace {

// The environment of this process without anything that names a display.
std::vector<std::string> NoDisplay() {
    std::vector<std::string> Kept;
    for (char** Entry = environ; *Entry; ++Entry) {
        const std::string Variable = *Entry;
        if (Variable.rfind("DISPLAY=", 0) != 0 && Variable.rfind("WAYLAND_DISPLAY=", 0) != 0 &&
            Variable.rfind("QT_QPA_PLATFORM=", 0) != 0)
            Kept.push_back(Variable);
    }
    return Kept;
}

struct Finished {
    int Status;
    std::string Out;
    std::string Err;
};

// Starts the program with Input as its standard input; its output goes to files, so nothing
// waits on a full pipe. Stdout names another place for standard output (/dev/full).
pid_t Start(const std::vector<std::string>& Arguments, const std::vector<std::string>& Environment,
            const Testing::TempDir& Folder, const std::string& Input,
            const std::string& Stdout = "") {
    Folder.Write("in", Input);
    posix_spawn_file_actions_t Files;
    posix_spawn_file_actions_init(&Files);
    posix_spawn_file_actions_addopen(&Files, 0, Folder.Path("in").c_str(), O_RDONLY, 0);
    const std::string Out = Stdout.empty() ? Folder.Path("out") : Stdout;
    posix_spawn_file_actions_addopen(&Files, 1, Out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&Files, 2, Folder.Path("err").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<std::string> Words = Arguments;
    Words.insert(Words.begin(), VARNOCK_PROGRAM);
    std::vector<char*> Argv, Envp;
    for (auto& Word : Words)
        Argv.push_back(Word.data());
    Argv.push_back(nullptr);
    std::vector<std::string> Variables = Environment;
    for (auto& Variable : Variables)
        Envp.push_back(Variable.data());
    Envp.push_back(nullptr);
    pid_t Child = -1;
    const int Failed =
        posix_spawn(&Child, VARNOCK_PROGRAM, &Files, nullptr, Argv.data(), Envp.data());
    posix_spawn_file_actions_destroy(&Files);
    return Failed ? -1 : Child;
}

std::string Contents(const std::string& Path) {
    std::ifstream In(Path, std::ios::binary);
    return {std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>()};
}

Finished RunProgram(const std::vector<std::string>& Arguments, const std::string& Input = "",
                    const std::vector<std::string>& Environment = NoDisplay(),
                    const std::string& Stdout = "") {
    const Testing::TempDir Folder;
    const pid_t Child = Start(Arguments, Environment, Folder, Input, Stdout);
    int Status = -1;
    if (Child < 0 || waitpid(Child, &Status, 0) != Child || !WIFEXITED(Status))
        return {-1, "", ""};
    return {WEXITSTATUS(Status), Contents(Folder.Path("out")), Contents(Folder.Path("err"))};
}

TEST(CommandLineProgram, RunsWithoutADisplay) {
    const Finished Mass = RunProgram({"--mass", "H2O"});
    EXPECT_EQ(Mass.Status, 0);
    EXPECT_EQ(Mass.Out, "18.015 g\n");
    EXPECT_EQ(Mass.Err, "");

    const Finished Listed = RunProgram({"--list", "-"}, "H2O\nFe3+\n");
    EXPECT_EQ(Listed.Status, 1);
    EXPECT_EQ(Listed.Out, "formula\tmass (g)\tnotices\nH2O\t18.015\t\n"
                          "Fe3+\t\tFormula: character 4 \"+\": write the charge after ^, as in "
                          "Fe^3+ or Fe3^+\n");

    // Output that can't be written is said so, not taken for success.
    const Finished Full = RunProgram({"--mass", "H2O"}, "", NoDisplay(), "/dev/full");
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
    std::vector<std::string> Environment = NoDisplay();
    Environment.push_back(Fake.Display());
    EXPECT_EQ(RunProgram({"H2O"}, "", Environment).Status, 0);
    EXPECT_EQ(RunProgram({"--list", "-"}, "NaCl\n", Environment).Status, 0);
    EXPECT_EQ(RunProgram({"--help"}, "", Environment).Status, 0);
    EXPECT_FALSE(Fake.Visited(std::chrono::milliseconds(0)));

    // The window program beside it does connect: the stand-in sees a client when one comes.
    if (access((std::string(VARNOCK_PROGRAM) + "-window").c_str(), X_OK) != 0)
        GTEST_SKIP() << "no window program in this build";
    Environment.push_back("QT_QPA_PLATFORM=xcb");
    const Testing::TempDir Folder;
    const pid_t Window = Start({}, Environment, Folder, "");
    ASSERT_GT(Window, 0);
    EXPECT_TRUE(Fake.Visited(std::chrono::seconds(20)));
    kill(Window, SIGKILL);
    waitpid(Window, nullptr, 0);
}

} // namespace
} // namespace Varnock
