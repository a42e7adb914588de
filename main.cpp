#include <QApplication>

#include "ui/FrmVarnock.h"

int main(int Argc, char** Argv) {
    QApplication App(Argc, Argv);
    // Lets the desktop match the window to its menu entry, and so to its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("test.tervalin.Varnock"));
    Varnock::FrmVarnock Window;
    Window.Load();
    Window.show();
    return App.exec();
}
