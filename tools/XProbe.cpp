#include "tools/XProbe.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

extern char** environ;

namespace Varnock::XProbe {

namespace {

using Clock = std::chrono::steady_clock;

std::vector<char*> ArgvOf(std::vector<std::string>& Words) {
    std::vector<char*> Argv;
    for (auto& Word : Words)
        Argv.push_back(Word.data());
    Argv.push_back(nullptr);
    return Argv;
}

// The environment with DISPLAY replaced and no platform forced on Qt.
std::vector<std::string> EnvironmentWith(const std::string& Display) {
    std::vector<std::string> Entries;
    for (char** Entry = environ; *Entry; ++Entry)
        if (std::strncmp(*Entry, "DISPLAY=", 8) != 0 &&
            std::strncmp(*Entry, "QT_QPA_PLATFORM=", 16) != 0)
            Entries.emplace_back(*Entry);
    Entries.push_back("DISPLAY=" + Display);
    return Entries;
}

long CardinalProperty(::Display* Connection, Window Target, const char* Name) {
    const Atom Property = XInternAtom(Connection, Name, True);
    if (Property == 0)
        return -1;
    Atom Type = 0;
    int Format = 0;
    unsigned long Count = 0, After = 0;
    unsigned char* Data = nullptr;
    long Result = -1;
    if (XGetWindowProperty(Connection, Target, Property, 0, 1, False, XA_CARDINAL, &Type, &Format,
                           &Count, &After, &Data) == Success &&
        Data && Count == 1 && Format == 32)
        Result = *reinterpret_cast<long*>(Data);
    if (Data)
        XFree(Data);
    return Result;
}

int ErrorsIgnored(::Display*, XErrorEvent*) {
    return 0;
}

} // namespace

VirtualServer::VirtualServer(int Width, int Height) {
    int Pipe[2];
    if (pipe(Pipe) != 0)
        return;
    const std::string Fd = std::to_string(Pipe[1]);
    const std::string Screen = std::to_string(Width) + "x" + std::to_string(Height) + "x24";
    std::vector<std::string> Words = {"Xvfb", "-displayfd", Fd,          "-screen",
                                      "0",    Screen,       "-nolisten", "tcp"};
    auto Argv = ArgvOf(Words);
    posix_spawn_file_actions_t Actions;
    posix_spawn_file_actions_init(&Actions);
    posix_spawn_file_actions_addclose(&Actions, Pipe[0]);
    posix_spawn_file_actions_addopen(&Actions, 2, "/dev/null", O_WRONLY, 0);
    const int Failure = posix_spawnp(&Server, "Xvfb", &Actions, nullptr, Argv.data(), environ);
    posix_spawn_file_actions_destroy(&Actions);
    close(Pipe[1]);
    if (Failure) {
        Server = -1;
        close(Pipe[0]);
        return;
    }
    // Xvfb writes the display number it chose once it accepts connections.
    std::string Number;
    pollfd Wait{Pipe[0], POLLIN, 0};
    const auto Deadline = Clock::now() + std::chrono::seconds(20);
    char Byte = 0;
    while (Clock::now() < Deadline) {
        if (poll(&Wait, 1, 200) <= 0)
            continue;
        if (read(Pipe[0], &Byte, 1) != 1 || Byte == '\n')
            break;
        Number += Byte;
    }
    close(Pipe[0]);
    if (!Number.empty() && Byte == '\n')
        Display = std::stoi(Number);
}

VirtualServer::~VirtualServer() {
    Stop(Server);
}

ShownWindow StartAndWait(const std::string& Display, const std::vector<std::string>& Argv,
                         int TimeoutMs) {
    ShownWindow Shown;
    ::Display* Connection = XOpenDisplay(Display.c_str());
    if (!Connection)
        return Shown;
    XSetErrorHandler(ErrorsIgnored);
    const Window Root = DefaultRootWindow(Connection);
    XSelectInput(Connection, Root, SubstructureNotifyMask);
    XSync(Connection, False);

    std::vector<std::string> Words = Argv;
    auto ProgramArgv = ArgvOf(Words);
    auto Environment = EnvironmentWith(Display);
    auto EnvironmentArgv = ArgvOf(Environment);
    const auto Begin = Clock::now();
    if (posix_spawn(&Shown.Program, ProgramArgv[0], nullptr, nullptr, ProgramArgv.data(),
                    EnvironmentArgv.data()) != 0) {
        Shown.Program = -1;
        XCloseDisplay(Connection);
        return Shown;
    }
    const auto Deadline = Begin + std::chrono::milliseconds(TimeoutMs);
    pollfd Wait{ConnectionNumber(Connection), POLLIN, 0};
    while (!Shown.Window && Clock::now() < Deadline) {
        if (!XPending(Connection)) {
            poll(&Wait, 1, 20);
            continue;
        }
        XEvent Event;
        XNextEvent(Connection, &Event);
        if (Event.type != MapNotify || Event.xmap.override_redirect)
            continue;
        const auto Now = Clock::now();
        if (CardinalProperty(Connection, Event.xmap.window, "_NET_WM_PID") == Shown.Program) {
            Shown.Window = Event.xmap.window;
            Shown.ShownMilliseconds =
                std::chrono::duration<double, std::milli>(Now - Begin).count();
        }
    }
    XCloseDisplay(Connection);
    return Shown;
}

std::string WindowTitle(const std::string& Display, unsigned long Target) {
    ::Display* Connection = XOpenDisplay(Display.c_str());
    if (!Connection)
        return {};
    XSetErrorHandler(ErrorsIgnored);
    std::string Title;
    const Atom Name = XInternAtom(Connection, "_NET_WM_NAME", False);
    const Atom Utf8 = XInternAtom(Connection, "UTF8_STRING", False);
    Atom Type = 0;
    int Format = 0;
    unsigned long Count = 0, After = 0;
    unsigned char* Data = nullptr;
    if (XGetWindowProperty(Connection, Target, Name, 0, 1024, False, Utf8, &Type, &Format, &Count,
                           &After, &Data) == Success &&
        Data)
        Title.assign(reinterpret_cast<char*>(Data), Count);
    if (Data)
        XFree(Data);
    XCloseDisplay(Connection);
    return Title;
}

QRect Geometry(const std::string& Display, unsigned long Target) {
    QRect Place;
    if (::Display* Connection = XOpenDisplay(Display.c_str())) {
        XSetErrorHandler(ErrorsIgnored);
        XWindowAttributes Attributes{};
        Window Child = 0;
        int X = 0, Y = 0;
        if (XGetWindowAttributes(Connection, Target, &Attributes) &&
            XTranslateCoordinates(Connection, Target, DefaultRootWindow(Connection), 0, 0, &X, &Y,
                                  &Child))
            Place = QRect(X, Y, Attributes.width, Attributes.height);
        XCloseDisplay(Connection);
    }
    return Place;
}

QImage Grab(const std::string& Display, unsigned long Target) {
    ::Display* Connection = XOpenDisplay(Display.c_str());
    if (!Connection)
        return {};
    XSetErrorHandler(ErrorsIgnored);
    QImage Image;
    XWindowAttributes Attributes;
    if (XGetWindowAttributes(Connection, Target, &Attributes)) {
        XImage* Pixels = XGetImage(Connection, Target, 0, 0, Attributes.width, Attributes.height,
                                   AllPlanes, ZPixmap);
        if (Pixels) {
            Image = QImage(Attributes.width, Attributes.height, QImage::Format_RGB32);
            const auto Channel = [](unsigned long Pixel, unsigned long Mask) {
                if (!Mask)
                    return 0;
                while (!(Mask & 1)) {
                    Mask >>= 1;
                    Pixel >>= 1;
                }
                return static_cast<int>((Pixel & Mask) * 255 / Mask);
            };
            for (int Y = 0; Y < Attributes.height; ++Y)
                for (int X = 0; X < Attributes.width; ++X) {
                    const unsigned long Pixel = XGetPixel(Pixels, X, Y);
                    Image.setPixel(X, Y,
                                   qRgb(Channel(Pixel, Pixels->red_mask),
                                        Channel(Pixel, Pixels->green_mask),
                                        Channel(Pixel, Pixels->blue_mask)));
                }
            XDestroyImage(Pixels);
        }
    }
    XCloseDisplay(Connection);
    return Image;
}

long ResidentKilobytes(pid_t Process) {
    std::ifstream ProcStatus("/proc/" + std::to_string(Process) + "/status");
    std::string Key;
    while (ProcStatus >> Key) {
        if (Key == "VmRSS:") {
            long Kilobytes = -1;
            ProcStatus >> Kilobytes;
            return Kilobytes;
        }
        ProcStatus.ignore(4096, '\n');
    }
    return -1;
}

void Stop(pid_t Program) {
    if (Program <= 0)
        return;
    kill(Program, SIGTERM);
    int ExitStatus = 0;
    for (int Try = 0; Try < 100; ++Try) {
        const pid_t Done = waitpid(Program, &ExitStatus, WNOHANG);
        if (Done == Program || (Done < 0 && errno != EINTR))
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(Program, SIGKILL);
    waitpid(Program, &ExitStatus, 0);
}

int Close(const std::string& Display, unsigned long Target, pid_t Program, int TimeoutMs) {
    if (::Display* Connection = XOpenDisplay(Display.c_str())) {
        XSetErrorHandler(ErrorsIgnored);
        XEvent Event{};
        Event.xclient.type = ClientMessage;
        Event.xclient.window = Target;
        Event.xclient.message_type = XInternAtom(Connection, "WM_PROTOCOLS", False);
        Event.xclient.format = 32;
        Event.xclient.data.l[0] =
            static_cast<long>(XInternAtom(Connection, "WM_DELETE_WINDOW", False));
        Event.xclient.data.l[1] = CurrentTime;
        XSendEvent(Connection, Target, False, NoEventMask, &Event);
        XCloseDisplay(Connection);
    }
    const auto Deadline = Clock::now() + std::chrono::milliseconds(TimeoutMs);
    int ExitStatus = 0;
    while (Clock::now() < Deadline) {
        const pid_t Done = waitpid(Program, &ExitStatus, WNOHANG);
        if (Done == Program)
            return WIFEXITED(ExitStatus) ? WEXITSTATUS(ExitStatus) : -1;
        if (Done < 0 && errno != EINTR)
            return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    Stop(Program);
    return -1;
}

} // namespace Varnock::XProbe
