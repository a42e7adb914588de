#include "shell/CShell.h"

#include <cerrno>
#include <sys/stat.h>

#include "core/SystemServices.h"
#include "shell/ShellSystem.h"

namespace Varnock {

namespace {

// The shell's own numbers, so callers read results the same way everywhere.
constexpr std::int32_t Started = 42;
constexpr std::int32_t OutOfResources = 0;
constexpr std::int32_t FileNotFound = 2;
constexpr std::int32_t AccessDenied = 5;
constexpr std::int32_t OutOfMemory = 8;
constexpr std::int32_t BadFormat = 11;
constexpr std::int32_t NoAssociation = 31;

#ifdef __APPLE__
constexpr const char* Opener = "open";
#else
constexpr const char* Opener = "xdg-open";
#endif

std::int32_t ShellNumber(int Failure) {
    switch (Failure) {
    case ENOENT:
        return NoAssociation; // no opener installed
    case EACCES:
    case EPERM:
        return AccessDenied;
    case ENOMEM:
        return OutOfMemory;
    case ENOEXEC:
        return BadFormat;
    default:
        return OutOfResources;
    }
}

bool IsDirectory(const std::string& Path) {
    struct stat Status {};
    return stat(Path.c_str(), &Status) == 0 && S_ISDIR(Status.st_mode);
}

} // namespace

std::int32_t CShell::Execute(const std::string& FileName) {
    Operation = "Open";
    if (Directory.empty())
        Directory = FileName;
    // The opener takes just the one thing to open: parameters and window state have nowhere
    // to go here.
    const std::string Folder = ToUtf8(Directory);
    if (FileName.empty())
        return FileNotFound;
    std::string Target = ToUtf8(FileName);
    // The opener would take a leading "-" for an option; a path of its own keeps it a name.
    if (Target.front() == '-')
        Target.insert(0, "./");
    char* Argv[] = {const_cast<char*>(Opener), Target.data(), nullptr};
    const int Failure =
        ShellSystem::Start()(Opener, IsDirectory(Folder) ? Folder.c_str() : nullptr, Argv);
    return Failure ? ShellNumber(Failure) : Started;
}

} // namespace Varnock
