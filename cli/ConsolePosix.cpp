#include "cli/Console.h"

#include <cerrno>
#include <climits>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace Varnock::Console {

const char* const LineEnd = "\n";
const char PathSeparator = '/';

Handle StandardInput() {
    return STDIN_FILENO;
}
Handle StandardOutput() {
    return STDOUT_FILENO;
}
Handle StandardError() {
    return STDERR_FILENO;
}

Handle OpenInput(const std::string& Path) {
    const int Descriptor = ::open(Path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    return Descriptor < 0 ? NoHandle : Descriptor;
}

long Read(Handle From, char* Into, std::size_t Size) {
    long Count;
    do
        Count = ::read(static_cast<int>(From), Into, Size);
    while (Count < 0 && errno == EINTR);
    return Count;
}

bool Write(Handle To, const char* Bytes, std::size_t Size) {
    while (Size > 0) {
        const long Count = ::write(static_cast<int>(To), Bytes, Size);
        if (Count < 0 && errno == EINTR)
            continue;
        if (Count <= 0)
            return false;
        Bytes += Count;
        Size -= static_cast<std::size_t>(Count);
    }
    return true;
}

void Close(Handle File) {
    ::close(static_cast<int>(File));
}

std::vector<std::string> Arguments(int Argc, char** Argv) {
    return std::vector<std::string>(Argv, Argv + Argc);
}

std::string ProgramFolder() {
#ifdef __linux__
    char Path[PATH_MAX];
    const long Length = ::readlink("/proc/self/exe", Path, sizeof Path);
    if (Length <= 0 || Length >= static_cast<long>(sizeof Path))
        return {};
    std::string File(Path, static_cast<std::size_t>(Length));
    return File.substr(0, File.rfind('/'));
#else
    return {};
#endif
}

void AttachToConsole() {
    // A reader that went away (varnock --list big.txt | head) ends the program quietly.
    std::signal(SIGPIPE, SIG_DFL);
}

int StartWindow(const std::string& Folder, const char* Name) {
    const std::string Program = Folder + "/varnock-window";
    char* const Argv[] = {const_cast<char*>(Name), nullptr};
    ::execv(Program.c_str(), Argv);
    return 127; // as a shell answers for a program it can't start
}

namespace {

Handle SignalTarget = NoHandle;
const char* SignalBuffer = nullptr;
const volatile std::size_t* SignalComplete = nullptr;

extern "C" void WriteAndEnd(int Signal) {
    // Nothing is left to do about a write that fails here.
    if (SignalBuffer && *SignalComplete > 0 &&
        ::write(static_cast<int>(SignalTarget), SignalBuffer, *SignalComplete) < 0)
        SignalBuffer = nullptr;
    std::signal(Signal, SIG_DFL);
    std::raise(Signal);
}

} // namespace

void WriteOnSignals(Handle To, const char* Buffer, const volatile std::size_t* Complete) {
    SignalTarget = To;
    SignalBuffer = Buffer;
    SignalComplete = Complete;
    for (const int Signal : {SIGINT, SIGTERM, SIGHUP})
        std::signal(Signal, WriteAndEnd);
}

} // namespace Varnock::Console
