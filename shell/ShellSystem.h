#pragma once

// The one system call CShell makes outside Windows, behind a seam that tests can replace to
// see exactly what is handed over.

namespace Varnock::ShellSystem {

// Starts Program (looked up on PATH) with Argv (ending in a null pointer) and the process
// environment, in Directory when that is not null, and does not wait for it. Returns 0 when
// the program started, otherwise an errno value.
using StartFunction = int (*)(const char* Program, const char* Directory, char* const Argv[]);

int StartDetached(const char* Program, const char* Directory, char* const Argv[]);

// The function CShell calls; StartDetached unless a test put another in its place.
StartFunction Start();
// Puts Replacement in place (null restores StartDetached) and returns the one it replaced.
StartFunction SetStart(StartFunction Replacement);

} // namespace Varnock::ShellSystem
