#pragma once

// Starting an X server and a program on it, waiting for the program's window and grabbing it:
// what the screenshot tool, the start-up measurement and the Xvfb test share. Only this file's
// source sees Xlib.

#include <string>
#include <sys/types.h>
#include <vector>

#include <QImage>
#include <QRect>

namespace Varnock::XProbe {

// An Xvfb of its own on a display number it picks itself; stopped when this goes away.
class VirtualServer {
public:
    VirtualServer(int Width = 1024, int Height = 768);
    ~VirtualServer();
    VirtualServer(const VirtualServer&) = delete;
    VirtualServer& operator=(const VirtualServer&) = delete;

    bool Running() const { return Display >= 0; }
    std::string DisplayName() const { return ":" + std::to_string(Display); }

private:
    pid_t Server = -1;
    int Display = -1;
};

struct ShownWindow {
    pid_t Program = -1;
    unsigned long Window = 0; // 0 when none was shown in time
    double ShownMilliseconds = 0;
};

// Starts Argv on the display and waits up to TimeoutMs for a top-level window of that
// process to be mapped; the time is counted from just before the start.
ShownWindow StartAndWait(const std::string& Display, const std::vector<std::string>& Argv,
                         int TimeoutMs);

// The window's title as the X server has it.
std::string WindowTitle(const std::string& Display, unsigned long Window);

// The window's place on the screen and its size; null when it can't be read.
QRect Geometry(const std::string& Display, unsigned long Window);

// The window's contents; null when it can't be read.
QImage Grab(const std::string& Display, unsigned long Window);

// Resident memory of a process in kilobytes, -1 when unknown.
long ResidentKilobytes(pid_t Process);

// Asks the program to end and collects it.
void Stop(pid_t Program);

// Closes the window as a window manager's close button does (WM_DELETE_WINDOW) and waits up
// to TimeoutMs for the program to end: its exit status, or -1 when it had to be stopped.
int Close(const std::string& Display, unsigned long Window, pid_t Program, int TimeoutMs);

} // namespace Varnock::XProbe
