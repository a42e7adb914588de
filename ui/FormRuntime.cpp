#include "ui/FormRuntime.h"

#include <cmath>

#include <QCoreApplication>
#include <QDir>
#include <QMessageBox>
#include <QPainter>
#include <QPen>
#include <QPushButton>
#include <QTransform>

#include "core/SystemServices.h"

namespace Varnock::FormRuntime {

int TwipsToPixels(double Twips) {
    return static_cast<int>(std::lround(Twips / TwipsPerPixel));
}

double PixelsToTwips(int Pixels) {
    return static_cast<double>(Pixels) * TwipsPerPixel;
}

QRect TwipsRect(int Left, int Top, int Width, int Height) {
    return {TwipsToPixels(Left), TwipsToPixels(Top), TwipsToPixels(Width), TwipsToPixels(Height)};
}

namespace {
QFont Face(const QStringList& Families, QFont::StyleHint Hint) {
    QFont Font;
    Font.setFamilies(Families);
    Font.setStyleHint(Hint);
    Font.setPointSizeF(8.25);
    Font.setFixedPitch(Hint == QFont::TypeWriter);
    return Font;
}
} // namespace

QFont WindowFont() {
    return Face({"MS Sans Serif", "Microsoft Sans Serif", "Liberation Sans", "Arial"},
                QFont::SansSerif);
}

QFont FixedFont() {
    return Face({"Courier New", "Liberation Mono", "Cousine"}, QFont::TypeWriter);
}

void LineSurface::Line(double FromX, double FromY, double ToX, double ToY, std::uint32_t Colour) {
    DrawSegment({FromX, FromY}, {ToX, ToY}, Colour);
    Current = {ToX, ToY};
}

void LineSurface::LineFromCurrent(double ToX, double ToY, std::uint32_t Colour) {
    Line(Current.x(), Current.y(), ToX, ToY, Colour);
}

void LineSurface::DrawSegment(QPointF From, QPointF To, std::uint32_t Colour) {
    if (!ActivePainter)
        return;
    // Twips go straight to device pixels at the surface's own density (15 twips to a pixel at
    // 96 dpi, 10 at 144 dpi), rounded as at 96 dpi. Rounding device-independent pixels first
    // and scaling after would land a line on half pixels, or a whole pixel too far from the
    // control it frames, on a screen of 1.5 or 2 device pixels to a pixel.
    const QTransform ToDevice = ActivePainter->deviceTransform();
    const auto DevicePoint = [&](QPointF Twips) {
        const QPointF Device = ToDevice.map(Twips / TwipsPerPixel);
        return QPoint(static_cast<int>(std::lround(Device.x())),
                      static_cast<int>(std::lround(Device.y())));
    };
    const QPoint Start = DevicePoint(From);
    const QPoint End = DevicePoint(To);
    // Width 0 is Qt's cosmetic pen: one device pixel whatever the scaling.
    QPen Pen(QColor(Colour & 0xFF, Colour >> 8 & 0xFF, Colour >> 16 & 0xFF), 0);
    ActivePainter->save();
    // Drawing in device pixels: undo the scaling the painter applies on top of its transform.
    ActivePainter->setWorldTransform(ToDevice.inverted() * ActivePainter->worldTransform());
    ActivePainter->setRenderHint(QPainter::Antialiasing, false);
    ActivePainter->setPen(Pen);
    ActivePainter->drawLine(Start, End);
    ActivePainter->restore();
}

QPushButton* ViewButton(QWidget* Parent, const char* Name, const QString& Text,
                        const char* Spoken) {
    auto* Made = new QPushButton(Text, Parent);
    Made->setObjectName(QString::fromLatin1(Name));
    Made->setAutoDefault(false);
    Made->setAccessibleName(QString::fromLatin1(Spoken));
    return Made;
}

void ShowMessage(QWidget* Owner, const QString& Text) {
    QMessageBox Box(QMessageBox::NoIcon, QStringLiteral("Varnock"), Text, QMessageBox::Ok, Owner);
    Box.exec();
}

QString ToQt(std::string_view Bytes) {
    return QString::fromStdString(ToUtf8(Bytes));
}

std::string ToCore(const QString& Text) {
    return FromUtf8(Text.toStdString());
}

QString ProgramFolder() {
    return QCoreApplication::applicationDirPath();
}

bool SetCurrentFolder(const QString& Folder) {
    return QDir::setCurrent(Folder);
}

} // namespace Varnock::FormRuntime
