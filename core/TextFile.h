#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

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

// The rows of a table file of comma-separated fields, read whole: Each gets every line that is
// neither blank nor a comment (starting with #), trimmed of blanks and its line end, with its
// number counted from 1. Failures of the file raise numbered run-time errors.
void ForEachRow(const std::string& Path,
                const std::function<void(std::string_view Row, std::size_t Number)>& Each);
// The fields of a row, each trimmed of blanks.
std::vector<std::string_view> RowFields(std::string_view Row);
// A field without the double quotes around it, if it has them.
std::string_view Unquoted(std::string_view Field);
// The path of the file Name in the folder of the file Path.
std::string FileBeside(std::string_view Path, std::string_view Name);

} // namespace Varnock
