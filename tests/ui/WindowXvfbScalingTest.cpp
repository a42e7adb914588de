// The real program on a real X server at QT_SCALE_FACTOR 1, 1.5 and 2: the window's
// screenshot, in device pixels, holds a client area scaled from 309 x 192, the inset frame one
// device pixel wide just outside the mass box, and the framed controls on their scaled places.

#include <cstdlib>
#include <unistd.h>

#include <QRect>

#include <gtest/gtest.h>

#include "tests/support/OwnConfigFolder.h"
#include "tests/support/ScaledWindow.h"
#include "tools/XProbe.h"

namespace Varnock {
namespace {

using namespace Testing;

// The share of the pixels on the line From..To (inclusive) that have the colour.
double Share(const QImage& Shot, QPoint From, QPoint To, QRgb Colour) {
    int All = 0, Same = 0;
    for (int Y = From.y(); Y <= To.y(); ++Y)
        for (int X = From.x(); X <= To.x(); ++X) {
            ++All;
            Same += Shot.pixel(X, Y) == (0xFF000000 | Colour);
        }
    return All ? static_cast<double>(Same) / All : 0;
}

struct Started {
    QImage Shot;
    std::string Title;
};

Started StartScaled(const std::string& Display, const char* Factor) {
    const Testing::OwnConfigFolder Config;
    setenv("QT_SCALE_FACTOR", Factor, 1);
    const auto Shown = XProbe::StartAndWait(Display, {VARNOCK_PROGRAM}, 20000);
    unsetenv("QT_SCALE_FACTOR");
    Started Result;
    if (!Shown.Window)
        return Result;
    // The frame is drawn by the window's first paint; wait until its first line shows.
    const double Scale = std::atof(Factor);
    const QPoint TopLine(Device(250, Scale), Device(44, Scale) - 1);
    for (int Try = 0; Try < 50; ++Try) {
        usleep(100000);
        Result.Shot = XProbe::Grab(Display, Shown.Window);
        if (!Result.Shot.isNull() && Result.Shot.valid(TopLine) &&
            Result.Shot.pixel(TopLine) == (0xFF000000 | Grey))
            break;
    }
    Result.Title = XProbe::WindowTitle(Display, Shown.Window);
    XProbe::Stop(Shown.Program);
    return Result;
}

TEST(XvfbScaling, WindowClientAreaFrameAndControlsScaleInDevicePixels) {
    XProbe::VirtualServer Server;
    ASSERT_TRUE(Server.Running()) << "Xvfb did not start";
    for (const char* Name : {"1", "1.5", "2"}) {
        SCOPED_TRACE(std::string("QT_SCALE_FACTOR ") + Name);
        const double Factor = std::atof(Name);
        const Started Program = StartScaled(Server.DisplayName(), Name);
        ASSERT_FALSE(Program.Shot.isNull()) << "no window";
        const QImage& Shot = Program.Shot;
        const QString Path = QStringLiteral(VARNOCK_BINARY_DIR "/XvfbWindow@%1.png").arg(Name);
        EXPECT_TRUE(Shot.save(Path, "PNG")) << Path.toStdString();
        EXPECT_EQ(Program.Title, "Varnock (By Tervalin)");

        EXPECT_EQ(Shot.size(), QSize(Device(309, Factor), Device(192, Factor)));
        const QRgb Face = Shot.pixel(Shot.width() - 1, Device(60, Factor)) & 0xFFFFFF;

        // The mass box lies on the window's own colour, so its place is where Qt puts it.
        const QRect Box = DeviceRect({222, 44, 83, 15}, Factor);
        std::vector<FrameLine> Lines = InsetFrameLines(Box, Factor);
        // Nothing is drawn over the box's own edge.
        Lines.push_back({"inside top", Box.topLeft(), Box.topRight(), 0});
        Lines.push_back({"inside left", Box.topLeft(), Box.bottomLeft(), 0});
        for (const auto& Row : Lines)
            EXPECT_EQ(Share(Shot, Row.From, Row.To, Row.Colour ? Row.Colour : Face), 1.0)
                << Row.Edge;

        // A framed control's outermost device pixels are its frame; the window's colour lies
        // round it. One pixel off, a whole edge turns the other way.
        struct Framed {
            const char* Name;
            QRect Pixels;
        };
        const Framed Controls[] = {
            {"TxtFormula", {134, 16, 113, 19}},
            {"LstElements", {2, 18, 127, 46}},
            {"TxtAnswer", {2, 80, 305, 95}},
        };
        for (const auto& Control : Controls) {
            const QRect Rect = DeviceRect(Control.Pixels, Factor);
            const QPoint TL = Rect.topLeft(), BR = Rect.bottomRight();
            const struct {
                const char* Edge;
                QPoint From, To;
                bool Frame;
            } Edges[] = {
                {"left", TL, {TL.x(), BR.y()}, true},
                {"top", TL, {BR.x(), TL.y()}, true},
                {"right", {BR.x(), TL.y()}, BR, true},
                {"bottom", {TL.x(), BR.y()}, BR, true},
                {"outside left", TL - QPoint(1, 0), QPoint(TL.x() - 1, BR.y()), false},
                {"outside right", {BR.x() + 1, TL.y()}, BR + QPoint(1, 0), false},
                {"outside bottom", {TL.x(), BR.y() + 1}, BR + QPoint(0, 1), false},
            };
            for (const auto& Edge : Edges) {
                const double Plain = Share(Shot, Edge.From, Edge.To, Face);
                if (Edge.Frame)
                    EXPECT_LT(Plain, 0.25) << Control.Name << " " << Edge.Edge;
                else
                    EXPECT_GT(Plain, 0.9) << Control.Name << " " << Edge.Edge;
            }
        }
    }
}

} // namespace
} // namespace Varnock
