#pragma once

// What the fuzz targets share: a failed invariant prints what broke and aborts, so libFuzzer
// keeps the input as a crash.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace Varnock::Fuzzing {

// Bytes as a C string literal would show them, so control and high bytes stay visible.
inline std::string Quoted(std::string_view Bytes) {
    std::string Out = "\"";
    for (const char Character : Bytes) {
        const auto Code = static_cast<unsigned char>(Character);
        if (Character == '"' || Character == '\\') {
            Out += '\\';
            Out += Character;
        } else if (Code >= 32 && Code < 127) {
            Out += Character;
        } else {
            char Escape[8];
            std::snprintf(Escape, sizeof Escape, "\\x%02X", Code);
            Out += Escape;
        }
    }
    return Out + "\"";
}

[[noreturn]] inline void Fail(const std::string& What) {
    std::fprintf(stderr, "INVARIANT BROKEN: %s\n", What.c_str());
    std::fflush(stderr);
    std::abort();
}

// Describe is only called when the invariant breaks, so passing inputs build no message.
template <typename Describe> void Require(bool Holds, Describe&& Explain) {
    if (!Holds)
        Fail(Explain());
}

} // namespace Varnock::Fuzzing
