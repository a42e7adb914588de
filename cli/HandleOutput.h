#pragma once

#include <cstddef>

#include "cli/CommandLine.h"
#include "cli/Console.h"

namespace Varnock {

// Lines for a file, pipe or terminal, gathered in a fixed buffer and written when it fills or
// when flushed. The buffer never moves, so a termination signal can write out its whole lines.
class HandleOutput : public LineOutput {
public:
    explicit HandleOutput(Console::Handle To) : To(To) {}
    HandleOutput(const HandleOutput&) = delete;
    HandleOutput& operator=(const HandleOutput&) = delete;

    void Line(std::string_view Text) override;
    void Flush() override;
    // A termination signal writes out the whole lines waiting here.
    void KeepOnSignals() { Console::WriteOnSignals(To, Buffer, &Complete); }
    // Some bytes could not be written (a full disk, a closed pipe).
    bool WriteFailed() const { return Failed; }

private:
    Console::Handle To;
    char Buffer[64 * 1024];
    volatile std::size_t Complete = 0;
    bool Failed = false;
};

} // namespace Varnock
