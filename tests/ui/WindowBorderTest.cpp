// The inset frame round the mass box, read from the window's pixels, and the line calls that
// make it for any control.

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

#include "core/RunTimeError.h"
#include "tests/support/WindowTestSupport.h"
#include "ui/Bas3dEffects.h"
#include "ui/VarnockIcon.h"

namespace Varnock {
namespace {

using namespace Testing;

constexpr QRgb Grey = qRgb(127, 127, 127);
constexpr QRgb White = qRgb(255, 255, 255);

class WindowBorder : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureApplication(); }
};

struct Stretch {
    const char* Edge;
    QPoint From, To; // inclusive pixel run
    QRgb Colour;
};

TEST_F(WindowBorder, FrameLinesAreDrawnInTheirColoursOnEveryPaint) {
    FrmVarnock Window;
    Window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Window));
    // The mass box covers x 222..304, y 44..58; twips / 15 rounded gives these runs.
    const Stretch Runs[] = {
        {"top", {220, 43}, {304, 43}, Grey},    {"crossing", {305, 43}, {305, 43}, White},
        {"left", {221, 44}, {221, 58}, Grey},   {"bottom", {221, 59}, {305, 59}, White},
        {"right", {305, 42}, {305, 59}, White},
    };
    for (int Paint = 0; Paint < 2; ++Paint) {
        const QImage Shot = Window.grab().toImage();
        for (const auto& Run : Runs)
            for (int Y = Run.From.y(); Y <= Run.To.y(); ++Y)
                for (int X = Run.From.x(); X <= Run.To.x(); ++X)
                    EXPECT_EQ(Shot.pixel(X, Y), 0xFF000000 | Run.Colour)
                        << Run.Edge << " at " << X << "," << Y << " paint " << Paint;
        // Nothing beyond the lines' ends, and nothing inside the box.
        const QRgb Face = Window.palette().color(QPalette::Button).rgb();
        for (const QPoint Outside : {QPoint(219, 43), QPoint(305, 41), QPoint(306, 43),
                                     QPoint(220, 44), QPoint(221, 60), QPoint(306, 59)})
            EXPECT_EQ(Shot.pixel(Outside), Face) << Outside.x() << "," << Outside.y();
        for (const QPoint Inside : {QPoint(222, 44), QPoint(304, 58), QPoint(222, 58)}) {
            EXPECT_NE(Shot.pixel(Inside), 0xFF000000 | Grey);
            EXPECT_NE(Shot.pixel(Inside), 0xFF000000 | White);
        }
        Window.hide();
        Window.show();
    }
}

struct DrawnLine {
    QPointF From, To;
    std::uint32_t Colour;
};

// A container that notes every line it is asked to draw.
class RecordingSurface : public QWidget, public FormRuntime::LineSurface {
public:
    std::vector<DrawnLine> Lines;
    void DrawOnce(const QWidget& Control) {
        QImage Canvas(size(), QImage::Format_RGB32);
        Canvas.fill(Qt::black);
        QPainter Painter(&Canvas);
        BeginLines(Painter);
        Bas3dEffects::DrawInsetBorder(Control);
        EndLines();
        Painter.end();
        Image = Canvas;
    }
    QImage Image;

protected:
    void DrawSegment(QPointF From, QPointF To, std::uint32_t Colour) override {
        Lines.push_back({From, To, Colour});
        LineSurface::DrawSegment(From, To, Colour);
    }
};

TEST_F(WindowBorder, LinesFollowTheControlAndMayStartOffTheSurface) {
    struct Case {
        QRect Pixels;
        std::vector<DrawnLine> Expected;
    };
    const std::uint32_t G = 0x7F7F7F, W = 0xFFFFFF;
    const Case Cases[] = {
        {{222, 44, 83, 15},
         {{{4575, 650}, {3300, 650}, G},
          {{3320, 660}, {3320, 885}, G},
          {{3320, 885}, {4575, 885}, W},
          {{4575, 885}, {4575, 630}, W}}},
        {{0, 0, 2, 1},
         {{{30, -10}, {-30, -10}, G},
          {{-10, 0}, {-10, 15}, G},
          {{-10, 15}, {30, 15}, W},
          {{30, 15}, {30, -30}, W}}},
    };
    for (const auto& Row : Cases) {
        RecordingSurface Surface;
        Surface.resize(320, 200);
        QWidget Control(&Surface);
        Control.setGeometry(Row.Pixels);
        Surface.DrawOnce(Control);
        ASSERT_EQ(Surface.Lines.size(), Row.Expected.size());
        for (std::size_t Index = 0; Index < Row.Expected.size(); ++Index) {
            EXPECT_EQ(Surface.Lines[Index].From, Row.Expected[Index].From) << Index;
            EXPECT_EQ(Surface.Lines[Index].To, Row.Expected[Index].To) << Index;
            EXPECT_EQ(Surface.Lines[Index].Colour, Row.Expected[Index].Colour) << Index;
        }
        EXPECT_EQ(Surface.CurrentPosition(), Row.Expected.back().To);
    }
    // At the corner only the part on the surface shows: the right line down to y 1.
    RecordingSurface Corner;
    Corner.resize(10, 10);
    QWidget Control(&Corner);
    Control.setGeometry(0, 0, 2, 1);
    Corner.DrawOnce(Control);
    EXPECT_EQ(Corner.Image.pixel(2, 0), 0xFFFFFFFF);
    EXPECT_EQ(Corner.Image.pixel(0, 1), 0xFFFFFFFF);
    EXPECT_EQ(Corner.Image.pixel(0, 0), 0xFF000000);
}

TEST_F(WindowBorder, AContainerWithoutLinesFailsAndDrawsNothing) {
    QWidget Plain;
    QWidget Control(&Plain);
    try {
        Bas3dEffects::DrawInsetBorder(Control);
        ADD_FAILURE() << "no failure raised";
    } catch (const RunTimeError& Failure) {
        EXPECT_EQ(Failure.Number(), 438);
    }
    QWidget Orphan;
    EXPECT_THROW(Bas3dEffects::DrawInsetBorder(Orphan), RunTimeError);
}

TEST_F(WindowBorder, IconIsTheDiscWithThreeSectorsAndTheIcoFileMatchesIt) {
    struct Probe {
        int Size;
        QPoint At;
        QRgb Colour; // 0 for transparent
    };
    const QRgb Black = 0xFF000000, Yellow = 0xFFFFFF00;
    const Probe Probes[] = {
        {32, {0, 0}, 0},       {32, {31, 31}, 0},     {32, {16, 5}, Yellow}, {32, {25, 21}, Yellow},
        {32, {6, 21}, Yellow}, {32, {16, 27}, Black}, {32, {26, 10}, Black}, {32, {5, 10}, Black},
        {16, {0, 0}, 0},       {16, {8, 3}, Yellow},  {16, {8, 14}, Black},  {16, {15, 15}, 0},
    };
    for (const auto& Row : Probes) {
        const QImage Image = VarnockIconImage(Row.Size);
        ASSERT_EQ(Image.size(), QSize(Row.Size, Row.Size));
        const QRgb Pixel = Image.pixel(Row.At);
        if (Row.Colour == 0)
            EXPECT_EQ(qAlpha(Pixel), 0) << Row.Size << " " << Row.At.x() << "," << Row.At.y();
        else
            EXPECT_EQ(Pixel, Row.Colour) << Row.Size << " " << Row.At.x() << "," << Row.At.y();
    }
    // The small image shades sector edges in dark yellow; the large one has none.
    const auto Colours = [](const QImage& Image) {
        QSet<QRgb> Seen;
        for (int Y = 0; Y < Image.height(); ++Y)
            for (int X = 0; X < Image.width(); ++X)
                if (qAlpha(Image.pixel(X, Y)))
                    Seen.insert(Image.pixel(X, Y));
        return Seen;
    };
    EXPECT_EQ(Colours(VarnockIconImage(32)), (QSet<QRgb>{Black, Yellow}));
    EXPECT_EQ(Colours(VarnockIconImage(16)), (QSet<QRgb>{Black, Yellow, 0xFF808000}));

    const QByteArray Ico = VarnockIcoFile();
    QFile Kept(VARNOCK_SOURCE_DIR "/ui/varnock.ico");
    ASSERT_TRUE(Kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(Kept.readAll(), Ico) << "ui/varnock.ico is out of date: rebuild it with varnock-icon";
    // Header: four images of 32 bits with no palette, 256 (written as 0), 48, 32 and 16 pixels;
    // Qt's reader gets each back as drawn, the transparent ground included.
    ASSERT_GE(Ico.size(), 6 + 4 * 16);
    EXPECT_EQ(Ico[4], 4);
    QBuffer Bytes(const_cast<QByteArray*>(&Ico));
    QImageReader Reader(&Bytes, "ICO");
    const int Sizes[] = {256, 48, 32, 16};
    for (int Index = 0; Index < 4; ++Index) {
        SCOPED_TRACE(Sizes[Index]);
        const char* Entry = Ico.constData() + 6 + 16 * Index;
        EXPECT_EQ(static_cast<unsigned char>(Entry[0]), Sizes[Index] % 256);
        EXPECT_EQ(Entry[2], 0);
        EXPECT_EQ(Entry[6], 32);
        ASSERT_TRUE(Reader.jumpToImage(Index));
        const QImage Read = Reader.read().convertToFormat(QImage::Format_ARGB32);
        EXPECT_EQ(Read, VarnockIconImage(Sizes[Index]));
    }
}

} // namespace
} // namespace Varnock
