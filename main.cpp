// varnock: with no arguments the window program beside it takes over; with arguments it is
// the calculator on the command line. It links no window toolkit, so the command line starts
// as fast as a small C program does.

#include "cli/CommandLine.h"
#include "cli/Console.h"
#include "cli/HandleOutput.h"
#include "core/SystemServices.h"

int main(int Argc, char** Argv) {
    using namespace Varnock;
    const std::string Folder = Console::ProgramFolder();
    if (Argc <= 1)
        return Console::StartWindow(Folder, "varnock");

    Console::AttachToConsole();
    HandleOutput Out(Console::StandardOutput());
    HandleOutput Err(Console::StandardError());
    Out.KeepOnSignals();
    CommandLineIo Io{Out, Err, Console::LineEnd, SystemServices::DecimalSeparator(),
                     Folder + Console::PathSeparator};
    const int Status = RunCommandLine(Console::Arguments(Argc, Argv), Io);
    if (Out.WriteFailed()) {
        Err.Line(std::string("varnock: write error") + Console::LineEnd);
        Err.Flush();
        return Status == ExitDone ? ExitNoticed : Status;
    }
    return Status;
}
