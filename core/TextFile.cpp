#include "core/TextFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "core/RunTimeError.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace Varnock {

namespace {

constexpr unsigned long long ChunkSize = 64 * 1024;
// No sound table has a field anywhere near this long; growing the buffer without bound for a
// huge file with no separators would take the machine's memory before failing.
constexpr std::size_t LongestField = 64 * 1024 * 1024;

int OpenErrorNumber(int Code) {
    switch (Code) {
    case ENOENT:
    case ENOTDIR:
        return ErrFileNotFound;
    case EACCES:
    case EPERM:
        return ErrPermissionDenied;
    case EMFILE:
    case ENFILE:
        return ErrTooManyFiles;
    case ENOMEM:
        return ErrOutOfMemory;
    default:
        return ErrPathFileAccess;
    }
}

#ifdef _WIN32
int OpenForReading(const std::string& Path) {
    int Descriptor = -1;
    const errno_t Code = _sopen_s(&Descriptor, Path.c_str(), _O_RDONLY | _O_BINARY, _SH_DENYNO, 0);
    return Code == 0 ? Descriptor : (errno = Code, -1);
}
bool IsRegularFile(int Descriptor, unsigned long long& Size) {
    struct _stat64 Status;
    if (_fstat64(Descriptor, &Status) != 0 || (Status.st_mode & _S_IFREG) == 0)
        return false;
    Size = static_cast<unsigned long long>(Status.st_size);
    return true;
}
long ReadSome(int Descriptor, char* Into, std::size_t Size) {
    return _read(Descriptor, Into, static_cast<unsigned>(Size));
}
void CloseFile(int Descriptor) {
    _close(Descriptor);
}
#else
int OpenForReading(const std::string& Path) {
    // Non-blocking, so that opening a FIFO returns at once; it is then refused below.
    return ::open(Path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
}
bool IsRegularFile(int Descriptor, unsigned long long& Size) {
    struct stat Status;
    if (::fstat(Descriptor, &Status) != 0 || !S_ISREG(Status.st_mode))
        return false;
    Size = static_cast<unsigned long long>(Status.st_size);
    return true;
}
long ReadSome(int Descriptor, char* Into, std::size_t Size) {
    long Count;
    do
        Count = ::read(Descriptor, Into, Size);
    while (Count < 0 && errno == EINTR);
    return Count;
}
void CloseFile(int Descriptor) {
    ::close(Descriptor);
}
#endif

} // namespace

TextFile::TextFile(const std::string& Path) {
    Descriptor = OpenForReading(Path);
    if (Descriptor < 0)
        throw RunTimeError(OpenErrorNumber(errno));
    try {
        if (!IsRegularFile(Descriptor, Remaining))
            throw RunTimeError(ErrPathFileAccess);
        // A table of ordinary size comes in with one read.
        Capacity = static_cast<std::size_t>(std::min<unsigned long long>(Remaining, ChunkSize)) + 1;
        Buffer = std::make_unique_for_overwrite<char[]>(Capacity);
    } catch (...) {
        CloseFile(Descriptor);
        throw;
    }
}

TextFile::~TextFile() {
    CloseFile(Descriptor);
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
    const long Count = ReadSome(Descriptor, Buffer.get() + Filled, Capacity - Filled);
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

} // namespace Varnock
