#include <cstdint>
#include <float.h>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>

#include <windows.h>

#include "tests/support/TestSystem.h"

namespace Varnock::Testing {

std::filesystem::path MakeTempFolder() {
    std::random_device Seed;
    std::mt19937 Random(Seed());
    const auto Base = std::filesystem::temp_directory_path();
    for (int Try = 0; Try < 100; ++Try) {
        const auto Folder = Base / ("VarnockTest." + std::to_string(Random()));
        // create_directory is false when the name is taken.
        if (std::filesystem::create_directory(Folder))
            return Folder;
    }
    throw std::runtime_error("no fresh temporary folder");
}

int OpenDescriptorCount() {
    // The process's first exception and first thread open a few handles of the system's own
    // that stay; they are opened here, before anything is counted.
    static const bool Settled = [] {
        try {
            throw std::runtime_error("settling");
        } catch (const std::runtime_error&) {
        }
        std::thread([] {}).join();
        return true;
    }();
    (void)Settled;
    // GetProcessHandleCount answers 0 under Wine, so the handles are looked for one by one.
    // Their values are multiples of four, given out lowest first: the search ends well past
    // the last one found.
    int Count = 0;
    for (std::uintptr_t Value = 4, Missed = 0; Missed < 256; Value += 4) {
        DWORD Flags = 0;
        const bool Open = GetHandleInformation(reinterpret_cast<HANDLE>(Value), &Flags);
        Count += Open ? 1 : 0;
        Missed = Open ? 0 : Missed + 1;
    }
    return Count;
}

bool TrapFloatingPointFaults(bool On) {
    unsigned int Current = 0;
    // A set bit masks the exception; clearing it makes the exception trap.
    const unsigned int Masks = On ? _MCW_EM & ~(_EM_ZERODIVIDE | _EM_INVALID) : _MCW_EM;
    _clearfp();
    return _controlfp_s(&Current, Masks, _MCW_EM) == 0;
}

} // namespace Varnock::Testing
