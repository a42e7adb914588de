#include "core/TextFile.h"

#include <algorithm>
#include <cstring>

#include "core/RunTimeError.h"
#include "core/SystemServices.h"

namespace Varnock {

namespace {

constexpr unsigned long long ChunkSize = 64 * 1024;
// No sound table has a field anywhere near this long; growing the buffer without bound for a
// huge file with no separators would take the machine's memory before failing.
constexpr std::size_t LongestField = 64 * 1024 * 1024;

std::string_view Trimmed(std::string_view Text) {
    while (!Text.empty() && (Text.front() == ' ' || Text.front() == '\t'))
        Text.remove_prefix(1);
    while (!Text.empty() && (Text.back() == ' ' || Text.back() == '\t' || Text.back() == '\r'))
        Text.remove_suffix(1);
    return Text;
}

} // namespace

TextFile::TextFile(const std::string& Path) {
    File = SystemServices::OpenForReading(Path, Remaining);
    try {
        // A table of ordinary size comes in with one read.
        Capacity = static_cast<std::size_t>(std::min<unsigned long long>(Remaining, ChunkSize)) + 1;
        Buffer = std::make_unique_for_overwrite<char[]>(Capacity);
    } catch (...) {
        SystemServices::CloseFile(File);
        throw;
    }
}

TextFile::~TextFile() {
    SystemServices::CloseFile(File);
}

bool TextFile::ReadMore() {
    if (Remaining == 0)
        return false;
    if (Start > 0) {
        std::memmove(Buffer.get(), Buffer.get() + Start, Filled - Start);
        Filled -= Start;
        Start = 0;
    }
    if (Filled == Capacity) {
        // One field longer than the buffer: let it grow.
        if (Capacity > LongestField)
            throw RunTimeError(ErrOutOfMemory);
        auto Larger = std::make_unique_for_overwrite<char[]>(Capacity * 2);
        std::memcpy(Larger.get(), Buffer.get(), Filled);
        Buffer = std::move(Larger);
        Capacity *= 2;
    }
    const long Count = SystemServices::ReadSome(File, Buffer.get() + Filled, Capacity - Filled);
    if (Count < 0)
        throw RunTimeError(ErrDeviceIO);
    if (Count == 0) {
        // A file cut short while it is read ends where its bytes end.
        Remaining = 0;
        return false;
    }
    Filled += static_cast<std::size_t>(Count);
    Remaining -= std::min<unsigned long long>(Remaining, static_cast<unsigned long long>(Count));
    return true;
}

void ForEachRow(const std::string& Path,
                const std::function<void(std::string_view Row, std::size_t Number)>& Each) {
    TextFile File(Path);
    while (File.ReadMore()) {
    }
    const std::string_view Text = File.Unread();
    std::size_t Number = 0;
    for (std::size_t Start = 0; Start < Text.size();) {
        std::size_t End = Text.find('\n', Start);
        if (End == std::string_view::npos)
            End = Text.size();
        const std::string_view Row = Trimmed(Text.substr(Start, End - Start));
        ++Number;
        if (!Row.empty() && Row.front() != '#')
            Each(Row, Number);
        Start = End + 1;
    }
}

std::vector<std::string_view> RowFields(std::string_view Row) {
    std::vector<std::string_view> Fields;
    for (std::size_t Start = 0; Start <= Row.size();) {
        std::size_t End = Row.find(',', Start);
        if (End == std::string_view::npos)
            End = Row.size();
        Fields.push_back(Trimmed(Row.substr(Start, End - Start)));
        Start = End + 1;
    }
    return Fields;
}

std::string_view Unquoted(std::string_view Field) {
    if (Field.size() >= 2 && Field.front() == '"' && Field.back() == '"')
        return Field.substr(1, Field.size() - 2);
    return Field;
}

std::string FileBeside(std::string_view Path, std::string_view Name) {
    const std::size_t Slash = Path.find_last_of("/\\");
    const std::string_view Folder =
        Slash == std::string_view::npos ? std::string_view() : Path.substr(0, Slash + 1);
    return std::string(Folder) + std::string(Name);
}

} // namespace Varnock
