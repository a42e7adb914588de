#include "shell/ShellSystem.h"

#include <cerrno>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace Varnock::ShellSystem {

namespace {
StartFunction Current = StartDetached;
}

int StartDetached(const char* Program, const char* Directory, char* const Argv[]) {
    posix_spawn_file_actions_t Actions;
    if (const int Failure = posix_spawn_file_actions_init(&Actions))
        return Failure;
    int Failure = 0;
    if (Directory)
        Failure = posix_spawn_file_actions_addchdir_np(&Actions, Directory);
    pid_t Child = 0;
    if (!Failure)
        Failure = posix_spawnp(&Child, Program, &Actions, nullptr, Argv, environ);
    posix_spawn_file_actions_destroy(&Actions);
    if (Failure)
        return Failure;
    // The opener hands the job on and ends soon; collect it so no zombie is left behind.
    std::thread([Child] {
        int Status = 0;
        while (waitpid(Child, &Status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return 0;
}

StartFunction Start() {
    return Current;
}

StartFunction SetStart(StartFunction Replacement) {
    const StartFunction Previous = Current;
    Current = Replacement ? Replacement : StartDetached;
    return Previous;
}

} // namespace Varnock::ShellSystem
