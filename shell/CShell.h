#pragma once

#include <cstdint>
#include <string>

namespace Varnock {

// Hands a document, program or address to the desktop shell, which opens it with whatever the
// user's system associates with it. Strings are bytes of the core's single-byte code page.
class CShell {
public:
    std::int32_t WindowState() const { return State; }
    // A value outside -32768..32767 raises the overflow error and leaves the state unchanged.
    void SetWindowState(std::int32_t NewValue);

    std::string WorkingDirectory() const { return Directory; }
    void SetWorkingDirectory(std::string NewValue) { Directory = std::move(NewValue); }

    std::string Parameters() const { return Arguments; }
    void SetParameters(std::string NewValue) { Arguments = std::move(NewValue); }

    // Opens FileName. With no working directory set, FileName becomes the working directory
    // (and stays so for later calls). Returns a number above 32 when the shell took the job,
    // otherwise one of the shell's small error numbers.
    std::int32_t Execute(const std::string& FileName);

private:
    std::int16_t State = 0;
    std::string Directory;
    std::string Arguments;
    std::string Operation;
};

} // namespace Varnock
