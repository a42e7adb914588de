#include "shell/CShell.h"

#include <windows.h>

#include <shellapi.h>

namespace Varnock {

std::int32_t CShell::Execute(const std::string& FileName) {
    Operation = "Open";
    if (Directory.empty())
        Directory = FileName;
    const std::string Params = Parameters();
    const std::string Folder = WorkingDirectory();
    const auto Result = ShellExecuteA(nullptr, Operation.c_str(), FileName.c_str(), Params.c_str(),
                                      Folder.c_str(), WindowState());
    return static_cast<std::int32_t>(reinterpret_cast<INT_PTR>(Result));
}

} // namespace Varnock
