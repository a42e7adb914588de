#pragma once

#include <string>
#include <utility>

#include "cli/CommandLine.h"
#include "cli/Console.h"
#include "core/RunTimeError.h"

namespace Varnock {

// A list's input: standard input for "-", else the file named, closed when it goes.
class ListInput {
public:
    explicit ListInput(const std::string& Path)
        : File(Path == "-" ? Console::StandardInput() : Console::OpenInput(Path)) {}
    ~ListInput() {
        if (File != Console::NoHandle && File != Console::StandardInput())
            Console::Close(File);
    }
    ListInput(const ListInput&) = delete;
    ListInput& operator=(const ListInput&) = delete;

    bool Opened() const { return File != Console::NoHandle; }
    Console::Handle Handle() const { return File; }

private:
    Console::Handle File;
};

// Reads a file or standard input line by line; output goes out before each wait for input.
class LineReader {
public:
    LineReader(Console::Handle From, LineOutput& Before) : From(From), Before(Before) {}

    // The next line without its line end, and the first without the byte order mark an editor
    // may put in front of it, which is no character; false at the end of the input.
    bool Next(std::string& Line) {
        while (true) {
            const std::size_t End = Buffer.find('\n', Start);
            if (End != std::string::npos || Ended) {
                if (Start >= Buffer.size() && End == std::string::npos)
                    return false;
                const std::size_t Stop = End == std::string::npos ? Buffer.size() : End;
                Line.assign(Buffer, Start, Stop - Start);
                Start = Stop + 1;
                if (!Line.empty() && Line.back() == '\r')
                    Line.pop_back();
                if (std::exchange(First, false) && Line.starts_with("\xEF\xBB\xBF"))
                    Line.erase(0, 3);
                return true;
            }
            Buffer.erase(0, Start);
            Start = 0;
            Before.Flush();
            char Chunk[65536];
            const long Count = Console::Read(From, Chunk, sizeof Chunk);
            if (Count < 0)
                throw RunTimeError(ErrDeviceIO);
            Ended = Count == 0;
            Buffer.append(Chunk, static_cast<std::size_t>(Count));
        }
    }

private:
    Console::Handle From;
    LineOutput& Before;
    std::string Buffer;
    std::size_t Start = 0;
    bool Ended = false;
    bool First = true;
};

} // namespace Varnock
