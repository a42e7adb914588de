#pragma once

// The few services the window takes from Qt, gathered in one place: twips to pixels, fonts,
// line drawing on a window surface with a current drawing position, modal notices and the
// program's folder. The window code calls these rather than Qt where a service is listed here.

#include <cstdint>
#include <string>
#include <string_view>

#include <QFont>
#include <QPointF>
#include <QRect>
#include <QString>

class QPainter;
class QPushButton;
class QWidget;

namespace Varnock::FormRuntime {

inline constexpr int TwipsPerPixel = 15;

// Twips to Qt's device-independent pixels, rounded to the nearest pixel; Qt scales those for
// screens of other densities.
int TwipsToPixels(double Twips);
double PixelsToTwips(int Pixels);
QRect TwipsRect(int Left, int Top, int Width, int Height);

// An RGB value with red in the lowest byte, then green, then blue.
constexpr std::uint32_t Rgb(int Red, int Green, int Blue) {
    return static_cast<std::uint32_t>(Red) | static_cast<std::uint32_t>(Green) << 8 |
           static_cast<std::uint32_t>(Blue) << 16;
}

// The window font (a sans-serif face) and the fixed-pitch face of the report boxes, 8.25 pt.
QFont WindowFont();
QFont FixedFont();

// A window that can be drawn on in twips. Lines are solid, one device pixel wide, painted
// over what is there; drawing happens only while the window paints. Twips map straight to
// whole device pixels at the screen's density, so at 1, 1.5 or 2 device pixels to a pixel a
// line 10 twips before a control's left or top edge, or on its right or bottom edge, lies on
// the device pixel next to the control.
class LineSurface {
public:
    virtual ~LineSurface() = default;

    // A line from a given start point; the current drawing position becomes its end point.
    void Line(double FromX, double FromY, double ToX, double ToY, std::uint32_t Colour);
    // A line from the current drawing position.
    void LineFromCurrent(double ToX, double ToY, std::uint32_t Colour);
    QPointF CurrentPosition() const { return Current; }

protected:
    // Lines drawn between these two calls land on the painter's device.
    void BeginLines(QPainter& Painter) { ActivePainter = &Painter; }
    void EndLines() { ActivePainter = nullptr; }
    virtual void DrawSegment(QPointF From, QPointF To, std::uint32_t Colour);

private:
    QPainter* ActivePainter = nullptr;
    QPointF Current;
};

// A button of a view: named for tests and screen readers, and no default button of its own.
QPushButton* ViewButton(QWidget* Parent, const char* Name, const QString& Text, const char* Spoken);

// A modal message box with an OK button only, no icon and the title "Varnock". Returns once
// the user has closed it; the window keeps repainting meanwhile.
void ShowMessage(QWidget* Owner, const QString& Text);

// Texts between Qt and the core, whose strings are bytes of its single-byte code page.
QString ToQt(std::string_view Bytes);
std::string ToCore(const QString& Text);

// The folder that holds the program file, symbolic links resolved.
QString ProgramFolder();
// Makes Folder the current directory; false when that fails.
bool SetCurrentFolder(const QString& Folder);

} // namespace Varnock::FormRuntime
