#include "ui/VarnockIcon.h"

#include <QGuiApplication>

#include <array>
#include <cmath>
#include <numbers>

#include <QBuffer>
#include <QPainter>
#include <QPixmap>

namespace Varnock {

namespace {

// Sector centres in degrees anticlockwise from 3 o'clock: 12, 4 and 8 o'clock.
constexpr std::array<int, 3> SectorCentres = {90, -30, 210};
constexpr int SectorAngle = 60;
// The sectors' radius against the disc's.
constexpr double SectorScale = 15.0 / 16.0;
const QColor Yellow(255, 255, 0);

void PutWord(QByteArray& Bytes, quint16 Word) {
    Bytes.append(static_cast<char>(Word & 0xFF));
    Bytes.append(static_cast<char>(Word >> 8));
}

void PutDword(QByteArray& Bytes, quint32 Dword) {
    PutWord(Bytes, static_cast<quint16>(Dword & 0xFFFF));
    PutWord(Bytes, static_cast<quint16>(Dword >> 16));
}

// One icon image as a bitmap of 32 bits a pixel (blue, green, red, alpha): header, colour rows
// and the transparency mask's rows, both bottom-up. Windows draws 16 to 48 pixels from these.
QByteArray IcoBitmap(const QImage& Image) {
    const int Size = Image.width();
    const int MaskRow = (Size + 31) / 32 * 4;
    QByteArray Bytes;
    PutDword(Bytes, 40);
    PutDword(Bytes, static_cast<quint32>(Size));
    PutDword(Bytes, static_cast<quint32>(Size * 2)); // colour rows and mask rows together
    PutWord(Bytes, 1);
    PutWord(Bytes, 32);
    PutDword(Bytes, 0);
    PutDword(Bytes, static_cast<quint32>((Size * 4 + MaskRow) * Size));
    for (int Unused = 0; Unused < 4; ++Unused)
        PutDword(Bytes, 0);
    for (int Y = Size - 1; Y >= 0; --Y)
        for (int X = 0; X < Size; ++X) {
            const QRgb Pixel = Image.pixel(X, Y);
            for (const int Channel : {qBlue(Pixel), qGreen(Pixel), qRed(Pixel), qAlpha(Pixel)})
                Bytes.append(static_cast<char>(Channel));
        }
    for (int Y = Size - 1; Y >= 0; --Y) {
        QByteArray Row(MaskRow, '\0');
        for (int X = 0; X < Size; ++X)
            if (qAlpha(Image.pixel(X, Y)) < 128)
                Row[X / 8] = static_cast<char>(Row[X / 8] | 0x80 >> (X % 8));
        Bytes.append(Row);
    }
    return Bytes;
}

// The 256-pixel image as PNG, as Windows takes an icon of that size.
// Its resolution is Windows' 96 dots an inch, not that of the screen the program has, if any.
QByteArray IcoPng(QImage Image) {
    Image.setDotsPerMeterX(3780);
    Image.setDotsPerMeterY(3780);
    QByteArray Bytes;
    QBuffer Out(&Bytes);
    Out.open(QIODevice::WriteOnly);
    Image.save(&Out, "PNG");
    return Bytes;
}

} // namespace

QImage VarnockIconImage(int Size) {
    QImage Image(Size, Size, QImage::Format_ARGB32);
    Image.fill(Qt::transparent);
    QPainter Painter(&Image);
    // Qt counts angles anticlockwise from 3 o'clock in sixteenths of a degree.
    if (Size <= 32) {
        Painter.setRenderHint(QPainter::Antialiasing, false);
        const QRect Disc(0, 0, Size - 1, Size - 1);
        Painter.setPen(Qt::black);
        Painter.setBrush(Qt::black);
        Painter.drawEllipse(Disc);
        Painter.setPen(Size <= 16 ? QColor(128, 128, 0) : Yellow);
        Painter.setBrush(Yellow);
        for (const int Centre : SectorCentres)
            Painter.drawPie(Disc.adjusted(1, 1, -1, -1), (Centre - SectorAngle / 2) * 16,
                            SectorAngle * 16);
        return Image;
    }
    Painter.setRenderHint(QPainter::Antialiasing, true);
    Painter.setPen(Qt::NoPen);
    const QRectF Disc(0, 0, Size, Size);
    Painter.setBrush(Qt::black);
    Painter.drawEllipse(Disc);
    const double Inset = Size * (1 - SectorScale) / 2;
    Painter.setBrush(Yellow);
    for (const int Centre : SectorCentres)
        Painter.drawPie(Disc.adjusted(Inset, Inset, -Inset, -Inset),
                        (Centre - SectorAngle / 2) * 16, SectorAngle * 16);
    return Image;
}

QIcon VarnockIcon() {
    QIcon Icon;
    // The larger images serve title bars and task switchers on high-density screens; drawn
    // smoothly they cost start-up more than a millisecond, so only such screens get them.
    const bool Dense = qGuiApp && qGuiApp->devicePixelRatio() > 1;
    for (const int Size : {16, 32, 48, 64})
        if (Size <= 32 || Dense)
            Icon.addPixmap(QPixmap::fromImage(VarnockIconImage(Size)));
    return Icon;
}

QByteArray VarnockIconSvg() {
    constexpr double Half = 128;
    constexpr double Radius = Half * SectorScale;
    const auto Number = [](double Value) { return QByteArray::number(Value, 'f', 3); };
    const auto Point = [&](int Degrees) {
        const double Angle = Degrees * std::numbers::pi / 180;
        return Number(Half + Radius * std::cos(Angle)) + "," +
               Number(Half - Radius * std::sin(Angle));
    };
    QByteArray Svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                     "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" "
                     "viewBox=\"0 0 256 256\">\n"
                     "  <circle cx=\"128\" cy=\"128\" r=\"128\" fill=\"#000000\"/>\n";
    // Each sector runs anticlockwise on the screen, which is SVG's sweep flag 0.
    for (const int Centre : SectorCentres)
        Svg += "  <path fill=\"#ffff00\" d=\"M128,128 L" + Point(Centre - SectorAngle / 2) + " A" +
               Number(Radius) + "," + Number(Radius) + " 0 0,0 " + Point(Centre + SectorAngle / 2) +
               " Z\"/>\n";
    Svg += "</svg>\n";
    return Svg;
}

QByteArray VarnockIcoFile() {
    constexpr std::array<int, 4> Sizes = {256, 48, 32, 16};
    std::array<QByteArray, Sizes.size()> Images;
    for (std::size_t Index = 0; Index < Sizes.size(); ++Index) {
        const QImage Image = VarnockIconImage(Sizes[Index]);
        Images[Index] = Sizes[Index] == 256 ? IcoPng(Image) : IcoBitmap(Image);
    }
    QByteArray Bytes;
    PutWord(Bytes, 0);
    PutWord(Bytes, 1);
    PutWord(Bytes, static_cast<quint16>(Images.size()));
    quint32 Offset = 6 + 16 * Images.size();
    for (std::size_t Index = 0; Index < Images.size(); ++Index) {
        // A size of 256 is written as 0.
        Bytes.append(static_cast<char>(Sizes[Index] & 0xFF));
        Bytes.append(static_cast<char>(Sizes[Index] & 0xFF));
        Bytes.append('\0'); // no palette
        Bytes.append('\0');
        PutWord(Bytes, 1);
        PutWord(Bytes, 32);
        PutDword(Bytes, static_cast<quint32>(Images[Index].size()));
        PutDword(Bytes, Offset);
        Offset += static_cast<quint32>(Images[Index].size());
    }
    for (const auto& Image : Images)
        Bytes.append(Image);
    return Bytes;
}

} // namespace Varnock
