// Writes the program's icon from its one drawing:
//   varnock-icon OUT.ico          the Windows .ico (32 and 16 pixels)
//   varnock-icon --hicolor DIR    DIR/SIZExSIZE/apps/varnock.png and DIR/scalable/apps/varnock.svg

#include <cstdio>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "ui/VarnockIcon.h"

namespace {

bool Write(const QString& Path, const QByteArray& Bytes) {
    QFile Out(Path);
    if (QDir().mkpath(QFileInfo(Path).path()) && Out.open(QIODevice::WriteOnly) &&
        Out.write(Bytes) == Bytes.size())
        return true;
    std::fprintf(stderr, "varnock-icon: could not write %s\n", qPrintable(Path));
    return false;
}

bool WriteHicolor(const QString& Folder) {
    for (const int Size : {16, 32, 48, 128, 256}) {
        const QString Path = QStringLiteral("%1/%2x%2/apps/varnock.png").arg(Folder).arg(Size);
        if (!QDir().mkpath(QFileInfo(Path).path()) ||
            !Varnock::VarnockIconImage(Size).save(Path, "PNG")) {
            std::fprintf(stderr, "varnock-icon: could not write %s\n", qPrintable(Path));
            return false;
        }
    }
    return Write(Folder + "/scalable/apps/varnock.svg", Varnock::VarnockIconSvg());
}

} // namespace

int main(int Argc, char** Argv) {
    if (Argc == 2)
        return Write(QString::fromLocal8Bit(Argv[1]), Varnock::VarnockIcoFile()) ? 0 : 1;
    if (Argc == 3 && QByteArray(Argv[1]) == "--hicolor")
        return WriteHicolor(QString::fromLocal8Bit(Argv[2])) ? 0 : 1;
    std::fprintf(stderr, "usage: varnock-icon OUT.ico | varnock-icon --hicolor DIR\n");
    return 2;
}
