#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "core/SystemServices.h"

namespace Varnock {

// A text file opened for sequential reading. Opening refuses anything but a regular file (a
// directory, or a FIFO that would block the window) and never waits. The reader looks at the
// bytes read so far and not yet taken, and asks for more when it needs them. Failures raise
// numbered run-time errors; the file is closed when the object goes.
class TextFile {
public:
    explicit TextFile(const std::string& Path);
    ~TextFile();
    TextFile(const TextFile&) = delete;
    TextFile& operator=(const TextFile&) = delete;

    // The bytes read and not yet taken; valid until the next ReadMore.
    std::string_view Unread() const { return {Buffer.get() + Start, Filled - Start}; }
    void Take(std::size_t Count) { Start += Count; }
    // Reads more of the file after the unread bytes; false at the end of the file.
    bool ReadMore();
    // Everything the file holds has been read.
    bool Exhausted() const { return Remaining == 0; }

private:
    SystemServices::FileHandle File = -1;
    std::unique_ptr<char[]> Buffer;
    std::size_t Capacity = 0;
    std::size_t Start = 0;
    std::size_t Filled = 0;
    // Bytes the file held when opened and not yet read: reading stops there, which saves the
    // call that would only report the end.
    unsigned long long Remaining = 0;
};

// The file Name in the folder of the file at Path: a table beside the element table.
std::string FileBeside(std::string_view Path, std::string_view Name);

// The tables read a line at a time: the whole file, then each line of it in turn, numbered from 1,
// with the spaces and tabs at its ends and a CR before its LF left out.
std::string ReadWholeFile(const std::string& Path);
std::string_view TrimmedLine(std::string_view Line);
template <typename Visit> void ForEachLine(std::string_view Text, Visit&& Each) {
    std::size_t Number = 0;
    for (std::size_t Start = 0; Start < Text.size();) {
        std::size_t End = Text.find('\n', Start);
        if (End == std::string_view::npos)
            End = Text.size();
        Each(TrimmedLine(Text.substr(Start, End - Start)), ++Number);
        Start = End + 1;
    }
}

} // namespace Varnock
