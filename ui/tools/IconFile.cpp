// Writes the program's icon as a Windows .ico file: varnock-icon OUT.ico

#include <cstdio>

#include <QFile>

#include "ui/VarnockIcon.h"

int main(int Argc, char** Argv) {
    if (Argc != 2) {
        std::fprintf(stderr, "usage: varnock-icon OUT.ico\n");
        return 2;
    }
    QFile Out(QString::fromLocal8Bit(Argv[1]));
    if (!Out.open(QIODevice::WriteOnly) || Out.write(Varnock::VarnockIcoFile()) < 0) {
        std::fprintf(stderr, "varnock-icon: could not write %s\n", Argv[1]);
        return 1;
    }
    return 0;
}
