// Writes the program's icon from its one drawing:
//   varnock-icon OUT.ico          the Windows .ico (256, 48, 32 and 16 pixels)
//   varnock-icon --hicolor DIR SIZE...
//                                 DIR/SIZExSIZE/apps/varnock.png for each size, and
//                                 DIR/scalable/apps/varnock.svg

#include <cstdio>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>

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

bool WriteHicolor(const QString& Folder, const QList<int>& Sizes) {
    for (const int Size : Sizes) {
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
    if (Argc >= 4 && QByteArray(Argv[1]) == "--hicolor") {
        QList<int> Sizes;
        for (int Index = 3; Index < Argc; ++Index) {
            bool Number = false;
            Sizes.append(QByteArray(Argv[Index]).toInt(&Number));
            if (!Number || Sizes.back() < 1) {
                std::fprintf(stderr, "varnock-icon: %s is not a size\n", Argv[Index]);
                return 2;
            }
        }
        return WriteHicolor(QString::fromLocal8Bit(Argv[2]), Sizes) ? 0 : 1;
    }
    std::fprintf(stderr, "usage: varnock-icon OUT.ico | varnock-icon --hicolor DIR SIZE...\n");
    return 2;
}
