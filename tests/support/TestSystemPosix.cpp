#include <cfenv>
#include <stdexcept>
#include <stdlib.h>

#include "tests/support/TestSystem.h"

namespace Varnock::Testing {

std::filesystem::path MakeTempFolder() {
    std::string Pattern = (std::filesystem::temp_directory_path() / "VarnockTest.XXXXXX");
    if (::mkdtemp(Pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    return Pattern;
}

int OpenDescriptorCount() {
    int Count = 0;
    for ([[maybe_unused]] const auto& Entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++Count;
    return Count;
}

bool TrapFloatingPointFaults(bool On) {
    if (!On)
        return ::fedisableexcept(FE_ALL_EXCEPT) != -1;
    std::feclearexcept(FE_ALL_EXCEPT);
    return ::feenableexcept(FE_DIVBYZERO | FE_INVALID) != -1;
}

} // namespace Varnock::Testing
