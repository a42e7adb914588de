// Starts a program on an X display, waits for its window, and reports how long that took,
// the program's resident memory and, on request, a screenshot of the window.
//
//   varnock-xshot [--display :N] [--out FILE.png] [--settle MS] [--close] -- PROGRAM [ARGS]
//
// Without --display it runs its own Xvfb. With --close the window is closed as by its close
// button and the program's exit status printed; otherwise the program is stopped.

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "tools/XProbe.h"

using namespace Varnock;

int main(int Argc, char** Argv) {
    std::string Display, Out;
    int SettleMs = 700;
    bool CloseWindow = false;
    std::vector<std::string> Program;
    for (int Index = 1; Index < Argc; ++Index) {
        const std::string Word = Argv[Index];
        if (Word == "--") {
            Program.assign(Argv + Index + 1, Argv + Argc);
            break;
        }
        if (Word == "--close") {
            CloseWindow = true;
            continue;
        }
        if (Index + 1 >= Argc) {
            std::fprintf(stderr, "varnock-xshot: %s needs a value\n", Word.c_str());
            return 2;
        }
        const std::string Next = Argv[++Index];
        if (Word == "--display")
            Display = Next;
        else if (Word == "--out")
            Out = Next;
        else if (Word == "--settle")
            SettleMs = std::stoi(Next);
        else {
            std::fprintf(stderr, "varnock-xshot: unknown option %s\n", Word.c_str());
            return 2;
        }
    }
    if (Program.empty()) {
        std::fprintf(stderr,
                     "usage: varnock-xshot [--display :N] [--out FILE.png] [--settle MS] [--close] "
                     "-- PROGRAM [ARGS]\n");
        return 2;
    }
    std::unique_ptr<XProbe::VirtualServer> Server;
    if (Display.empty()) {
        Server = std::make_unique<XProbe::VirtualServer>();
        if (!Server->Running()) {
            std::fprintf(stderr, "varnock-xshot: could not start Xvfb\n");
            return 1;
        }
        Display = Server->DisplayName();
    }
    const auto Shown = XProbe::StartAndWait(Display, Program, 20000);
    if (!Shown.Window) {
        std::fprintf(stderr, "varnock-xshot: no window shown by %s\n", Program[0].c_str());
        XProbe::Stop(Shown.Program);
        return 1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(SettleMs));
    std::printf("title=%s\n", XProbe::WindowTitle(Display, Shown.Window).c_str());
    std::printf("rss_kb=%ld\n", XProbe::ResidentKilobytes(Shown.Program));
    std::printf("shown_ms=%.1f\n", Shown.ShownMilliseconds);
    if (!Out.empty()) {
        const QImage Shot = XProbe::Grab(Display, Shown.Window);
        if (Shot.isNull() || !Shot.save(QString::fromStdString(Out), "PNG")) {
            std::fprintf(stderr, "varnock-xshot: could not save %s\n", Out.c_str());
            XProbe::Stop(Shown.Program);
            return 1;
        }
        std::printf("screenshot=%s\n", Out.c_str());
    }
    if (CloseWindow)
        std::printf("closed_exit=%d\n", XProbe::Close(Display, Shown.Window, Shown.Program, 5000));
    else
        XProbe::Stop(Shown.Program);
    return 0;
}
