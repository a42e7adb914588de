#pragma once

// What the table fuzz targets share. One file for the whole run, rewritten for every input: it
// lives in memory and goes with the process, so runs that end by a signal or by libFuzzer's own
// exit leave nothing behind; it is still a regular file, opened by path like the real table.
// And the lines of a table as a reader of whole lines sees them, with the checks of the notices
// that name them.

#include <sys/mman.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

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

// A line without the spaces and tabs at its ends and a CR before its LF.
inline std::string_view Trimmed(std::string_view Line) {
    while (!Line.empty() && (Line.front() == ' ' || Line.front() == '\t'))
        Line.remove_prefix(1);
    while (!Line.empty() && (Line.back() == ' ' || Line.back() == '\t' || Line.back() == '\r'))
        Line.remove_suffix(1);
    return Line;
}

// The rows of Bytes: the lines, trimmed, that are neither blank nor a comment.
inline std::vector<std::string_view> RowsOf(std::string_view Bytes) {
    std::vector<std::string_view> Rows;
    for (const std::string_view Each : LinesOf(Bytes)) {
        const std::string_view Text = Trimmed(Each);
        if (!Text.empty() && Text.front() != '#')
            Rows.push_back(Text);
    }
    return Rows;
}

// Every notice names the table file and a line of it, in line order, at most one a line.
inline void CheckNoticeLines(const std::vector<std::string>& Notices, std::string_view Bytes) {
    const std::string Head = TablePath() + ", line ";
    const std::size_t Lines = LinesOf(Bytes).size();
    std::size_t Last = 0;
    for (const std::string& Notice : Notices) {
        Require(Notice.starts_with(Head), [&] { return "notice " + Quoted(Notice); });
        const std::size_t Number = std::stoul(Notice.substr(Head.size()));
        Require(Number > Last && Number <= Lines,
                [&] { return "notice out of line order: " + Quoted(Notice); });
        Last = Number;
    }
}

} // namespace Varnock::Fuzzing
