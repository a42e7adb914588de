#include "cli/HandleOutput.h"

#include <cstring>

namespace Varnock {

void HandleOutput::Line(std::string_view Text) {
    if (Complete + Text.size() > sizeof Buffer)
        Flush();
    if (Text.size() > sizeof Buffer) {
        Failed = !Console::Write(To, Text.data(), Text.size()) || Failed;
        return;
    }
    std::memcpy(Buffer + Complete, Text.data(), Text.size());
    Complete = Complete + Text.size();
}

void HandleOutput::Flush() {
    // Emptied first: a signal while the bytes go out must not write them twice.
    const std::size_t Size = Complete;
    Complete = 0;
    if (Size > 0)
        Failed = !Console::Write(To, Buffer, Size) || Failed;
}

} // namespace Varnock
