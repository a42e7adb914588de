#include "shell/CShell.h"

#include "core/RunTimeError.h"

namespace Varnock {

// Execute is the one part that differs by system: CShellWindows.cpp hands the file to the
// Windows shell, CShellPosix.cpp to the desktop's opener.

void CShell::SetWindowState(std::int32_t NewValue) {
    if (NewValue < INT16_MIN || NewValue > INT16_MAX)
        throw RunTimeError(ErrOverflow);
    State = static_cast<std::int16_t>(NewValue);
}

} // namespace Varnock
