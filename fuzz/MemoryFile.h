#pragma once

// What the table fuzz targets share: one file for the whole run, rewritten for every input. It
// lives in memory and goes with the process, so runs that end by a signal or by libFuzzer's own
// exit leave nothing behind; it is still a regular file, opened by path like the real table.

#include <sys/mman.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <string_view>

#include "fuzz/FuzzCheck.h"

namespace Varnock::Fuzzing {

inline int TableFile() {
    static const int Descriptor = [] {
        const int Made = ::memfd_create("table.dat", MFD_CLOEXEC);
        if (Made < 0)
            Fail("memfd_create failed");
        return Made;
    }();
    return Descriptor;
}

inline std::string TablePath() {
    return "/proc/self/fd/" + std::to_string(TableFile());
}

inline void WriteTable(std::string_view Bytes) {
    if (::ftruncate(TableFile(), 0) != 0)
        Fail("cannot empty the table file");
    std::size_t Written = 0;
    while (Written < Bytes.size()) {
        const ssize_t Count = ::pwrite(TableFile(), Bytes.data() + Written, Bytes.size() - Written,
                                       static_cast<off_t>(Written));
        if (Count <= 0)
            Fail("cannot write the table file");
        Written += static_cast<std::size_t>(Count);
    }
}

inline int OpenDescriptorCount() {
    int Count = 0;
    for ([[maybe_unused]] const auto& Entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++Count;
    return Count;
}

// The lines of Bytes as a reader of whole lines sees them: split at LF, a CR before it dropped.
inline std::vector<std::string_view> LinesOf(std::string_view Bytes) {
    std::vector<std::string_view> Lines;
    for (std::size_t Start = 0; Start < Bytes.size();) {
        std::size_t End = Bytes.find('\n', Start);
        if (End == std::string_view::npos)
            End = Bytes.size();
        Lines.push_back(Bytes.substr(Start, End - Start));
        Start = End + 1;
    }
    return Lines;
}

} // namespace Varnock::Fuzzing
