#pragma once

// The calculator without its window: the same reading and the same report, on standard output.
//
//   varnock FORMULA...          the report of each formula, then its formula mass
//   varnock --mass FORMULA...   the mass text alone, one line per formula
//   varnock --list FILE         one line per formula of FILE: formula, mass, notices
//
// Data flows one way: arguments are read into Options, each formula goes through the core's
// Calculate with an element table or a snapshot of it, and what the core hands its view is
// written out line by line.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace Varnock {

enum ExitStatus { ExitDone = 0, ExitNoticed = 1, ExitUsage = 2, ExitTableUnreadable = 3 };

// Where the command line writes, one whole line (with its line end) at a time. Lines may wait in
// a buffer; Flush hands them to the system.
class LineOutput {
public:
    virtual ~LineOutput() = default;
    virtual void Line(std::string_view Text) = 0;
    virtual void Flush() {}
};

struct CommandLineIo {
    LineOutput& Out;
    LineOutput& Err;
    // The line end written: the system's own.
    std::string_view LineEnd;
    // The locale's decimal separator, used unless --point is given.
    char DecimalSeparator = '.';
    // Where elements.dat is looked for when no --table is given, and the fine-structure module;
    // with its separator at the end.
    std::string ProgramFolder;
};

// Runs the command line on Arguments (the program's name first) and returns the exit status.
int RunCommandLine(const std::vector<std::string>& Arguments, CommandLineIo& Io);

} // namespace Varnock
