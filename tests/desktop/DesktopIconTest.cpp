// The desktop's icons are one drawing at every size: the bitmaps from 16 to 256 pixels and the
// scalable SVG show the same disc and sectors.

#include <QGuiApplication>
#include <QPainter>
#include <QSvgRenderer>

#include <gtest/gtest.h>

#include "ui/VarnockIcon.h"

namespace Varnock {
namespace {

constexpr QRgb Black = 0xFF000000, Yellow = 0xFFFFFF00;

// Places on a unit square (0..1 across and down) and what the icon shows there at any size.
struct Probe {
    double X, Y;
    QRgb Colour; // 0 for transparent
};
constexpr Probe Probes[] = {
    {0.02, 0.02, 0},      {0.98, 0.98, 0},     {0.50, 0.18, Yellow}, {0.78, 0.66, Yellow},
    {0.22, 0.66, Yellow}, {0.50, 0.85, Black}, {0.80, 0.32, Black},  {0.18, 0.32, Black},

};

void ExpectProbes(const QImage& Image, const std::string& What) {
    for (const auto& Each : Probes) {
        const QPoint At(static_cast<int>(Each.X * Image.width()),
                        static_cast<int>(Each.Y * Image.height()));
        const QRgb Pixel = Image.pixel(At);
        if (Each.Colour == 0)
            EXPECT_EQ(qAlpha(Pixel), 0) << What << " at " << At.x() << "," << At.y();
        else
            EXPECT_EQ(Pixel, Each.Colour) << What << " at " << At.x() << "," << At.y();
    }
}

TEST(DesktopIcon, EveryBitmapSizeShowsTheDiscAndSectors) {
    for (const int Size : {48, 128, 256}) {
        const QImage Image = VarnockIconImage(Size);
        ASSERT_EQ(Image.size(), QSize(Size, Size));
        ExpectProbes(Image, std::to_string(Size) + " px");
    }
}

TEST(DesktopIcon, TheSvgDrawsWhatTheBitmapsDraw) {
    int Argc = 1;
    char Name[] = "DesktopTests";
    char* Argv[] = {Name, nullptr};
    QGuiApplication App(Argc, Argv);
    QSvgRenderer Renderer(VarnockIconSvg());
    ASSERT_TRUE(Renderer.isValid());
    EXPECT_EQ(Renderer.defaultSize(), QSize(256, 256));
    QImage Rendered(256, 256, QImage::Format_ARGB32);
    Rendered.fill(Qt::transparent);
    QPainter Painter(&Rendered);
    Renderer.render(&Painter);
    Painter.end();
    ExpectProbes(Rendered, "the SVG");

    // Smoothing may differ along the edges; anywhere else the two must agree.
    const QImage Drawn = VarnockIconImage(256);
    int Different = 0;
    for (int Y = 0; Y < 256; ++Y)
        for (int X = 0; X < 256; ++X) {
            const QRgb One = Rendered.pixel(X, Y), Other = Drawn.pixel(X, Y);
            Different += std::abs(qRed(One) - qRed(Other)) > 64 ||
                         std::abs(qGreen(One) - qGreen(Other)) > 64 ||
                         std::abs(qAlpha(One) - qAlpha(Other)) > 64;
        }
    EXPECT_LT(Different, 256 * 256 / 100) << Different << " pixels differ";
}

} // namespace
} // namespace Varnock
