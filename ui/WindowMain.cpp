// varnock-window: the window program, started by varnock when it is given no arguments.

#include <QApplication>

#include "ui/FrmVarnock.h"

int main(int Argc, char** Argv) {
    QApplication App(Argc, Argv);
    // The window is known to the desktop as varnock, whichever program file shows it; the
    // desktop matches it to its menu entry, and so to its icon.
    QCoreApplication::setApplicationName(QStringLiteral("varnock"));
    QGuiApplication::setDesktopFileName(QStringLiteral("test.tervalin.Varnock"));
    Varnock::FrmVarnock Window;
    Window.Load();
    Window.RememberPlaces();
    Window.show();
    return App.exec();
}
