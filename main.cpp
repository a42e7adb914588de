#include <QApplication>

#include "ui/FrmVarnock.h"

int main(int Argc, char** Argv) {
    QApplication App(Argc, Argv);
    Varnock::FrmVarnock Window;
    Window.Load();
    Window.show();
    return App.exec();
}
