// The window on a high-density screen, in device pixels: the client area, every control, the
// inset frame and the texts scale together. CTest runs this with QT_SCALE_FACTOR 1, 1.5 and 2;
// the expectations follow the factor the window really gets.

#include <string_view>
#include <utility>
#include <vector>

#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegion>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include "tests/support/ScaledWindow.h"
#include "tests/support/ScreenshotChecks.h"
#include "tests/support/WindowTestSupport.h"
#include "ui/AnalysisView.h"
#include "ui/PatternPlot.h"

namespace Varnock {
namespace {

using namespace Testing;

// The controls in the order they are made (later ones lie over earlier ones), with their
// places in device-independent pixels.
struct Placed {
    const char* Name;
    QRect Pixels;
};
const Placed Controls[] = {
    {"Label1", {4, 2, 95, 13}},          {"Label2", {134, 2, 83, 15}},
    {"Label3", {134, 44, 83, 15}},       {"Label4", {96, 178, 111, 17}},
    {"TxtTitle", {4, 66, 303, 14}},      {"TxtFormulaMass", {222, 44, 83, 15}},
    {"TxtAnswer", {2, 80, 305, 95}},     {"LstElements", {2, 18, 127, 46}},
    {"CmdCalculate", {250, 16, 59, 21}}, {"TxtFormula", {134, 16, 113, 19}},
};

// Paints each watched control, and everything inside it, in one flat colour of its own.
class FlatColours : public QObject {
public:
    void Watch(QWidget* Control, QRgb Colour) {
        Colours[Control] = Colour;
        Control->installEventFilter(this);
        for (QWidget* Inner : Control->findChildren<QWidget*>()) {
            Colours[Inner] = Colour;
            Inner->installEventFilter(this);
        }
    }

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override {
        if (Event->type() != QEvent::Paint || !Colours.contains(Watched))
            return false;
        auto* Control = static_cast<QWidget*>(Watched);
        QPainter(Control).fillRect(Control->rect(), QColor(Colours[Watched]));
        return true;
    }

private:
    QHash<QObject*, QRgb> Colours;
};

// The box round the pixels of Image inside Area that differ from Background.
QRect Ink(const QImage& Image, const QRegion& Area, QRgb Background) {
    QRect Box;
    for (const QRect& Part : Area)
        for (int Y = Part.top(); Y <= Part.bottom(); ++Y)
            for (int X = Part.left(); X <= Part.right(); ++X)
                if ((Image.pixel(X, Y) & 0xFFFFFF) != (Background & 0xFFFFFF))
                    Box |= QRect(X, Y, 1, 1);
    return Box;
}

class WindowScaling : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureApplication(); }
    void SetUp() override {
        Window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Window));
        Factor = Window.devicePixelRatioF();
        // A run under a scale factor that Qt ignored would prove nothing; under Wine the factor
        // comes from the system's DPI, and the run names the one it expects.
        QByteArray Asked = qgetenv("QT_SCALE_FACTOR");
        if (Asked.isEmpty())
            Asked = qgetenv("VARNOCK_EXPECTED_FACTOR");
        if (!Asked.isEmpty()) {
            ASSERT_DOUBLE_EQ(Factor, Asked.toDouble());
        }
    }
    QImage Shot() {
        QImage Image = Window.grab().toImage().convertToFormat(QImage::Format_RGB32);
        EXPECT_DOUBLE_EQ(Image.devicePixelRatio(), Factor);
        return Image;
    }
    // Where a control shows: its device rectangle inside the client area, less the controls
    // made after it.
    QRegion Visible(const char* Name) const {
        QRegion Shown;
        bool Later = false;
        for (const auto& Row : Controls) {
            const QRect Rect = DeviceRect(Row.Pixels, Factor);
            if (Later) {
                Shown -= Rect;
            } else if (std::string_view(Row.Name) == Name) {
                Shown = Rect & QRect(QPoint(0, 0), Client());
                Later = true;
            }
        }
        return Shown;
    }
    QSize Client() const { return {Device(309, Factor), Device(192, Factor)}; }
    FrmVarnock Window;
    double Factor = 1;
};

TEST_F(WindowScaling, ClientAreaAndEveryControlCoverTheirDeviceRectangles) {
    FlatColours Paint;
    QHash<QRgb, const char*> Owner;
    int Index = 0;
    for (const auto& Row : Controls) {
        const QRgb Colour = qRgb(40 + 20 * Index, 200 - 15 * Index, 10 + 9 * Index);
        ++Index;
        Paint.Watch(Find(Window, Row.Name), Colour);
        Owner[Colour] = Row.Name;
    }
    const QImage Image = Shot();
    ASSERT_EQ(Image.size(), Client());
    // Every device pixel belongs to the control expected there, or to none.
    std::vector<std::pair<const char*, QRegion>> Where;
    for (const auto& Row : Controls)
        Where.emplace_back(Row.Name, Visible(Row.Name));
    QHash<QString, int> Wrong, Count;
    for (int Y = 0; Y < Image.height(); ++Y)
        for (int X = 0; X < Image.width(); ++X) {
            const char* Expected = nullptr;
            for (const auto& [Name, Region] : Where)
                if (Region.contains(QPoint(X, Y)))
                    Expected = Name;
            const char* Found = Owner.value(Image.pixel(X, Y), nullptr);
            if (Found)
                ++Count[Found];
            if (Found != Expected)
                ++Wrong[QString::fromLatin1(Found ? Found : Expected)];
        }
    for (const auto& Row : Controls) {
        const QRegion Expected = Visible(Row.Name);
        EXPECT_EQ(Wrong.value(Row.Name), 0)
            << Row.Name << " expected at device rectangle " << Expected.boundingRect().x() << ","
            << Expected.boundingRect().y() << " " << Expected.boundingRect().width() << "x"
            << Expected.boundingRect().height();
        int Area = 0;
        for (const QRect& Part : Expected)
            Area += Part.width() * Part.height();
        EXPECT_EQ(Count.value(Row.Name), Area) << Row.Name;
    }
}

TEST_F(WindowScaling, InsetFrameIsOneDevicePixelWideJustOutsideTheMassBoxAtEverySize) {
    FlatColours Paint;
    const QRgb BoxColour = qRgb(255, 0, 0);
    Paint.Watch(Find(Window, "TxtFormulaMass"), BoxColour);
    // Enlarged, the mass box grows with the window's width (by hand: 83 pixels and the extra).
    for (const int Extra : {0, 1, 100}) {
        Window.resize(309 + Extra, 192 + Extra);
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return Window.size() == QSize(309 + Extra, 192 + Extra); }, 2000));
        const QImage Image = Shot();
        // The box as drawn is where Qt places it; the frame is measured against that.
        QRect Drawn;
        for (int Y = 0; Y < Image.height(); ++Y)
            for (int X = 0; X < Image.width(); ++X)
                if (Image.pixel(X, Y) == BoxColour)
                    Drawn |= QRect(X, Y, 1, 1);
        ASSERT_EQ(Drawn, DeviceRect({222, 44, 83 + Extra, 15}, Factor)) << "extra " << Extra;
        const QRgb Face = Window.palette().color(QPalette::Button).rgb() | 0xFF000000;
        for (const auto& Row : InsetFrameLines(Drawn, Factor)) {
            int Off = 0;
            for (int Y = Row.From.y(); Y <= Row.To.y(); ++Y)
                for (int X = Row.From.x(); X <= Row.To.x(); ++X)
                    Off += Image.pixel(X, Y) != (Row.Colour ? (0xFF000000 | Row.Colour) : Face);
            EXPECT_EQ(Off, 0) << Row.Edge << " from " << Row.From.x() << "," << Row.From.y()
                              << " to " << Row.To.x() << "," << Row.To.y() << " extra " << Extra;
        }
        // The line running leftwards from the top right stops 2 pixels short of the box's left.
        EXPECT_EQ(Drawn.left() - Device(220, Factor), Device(2, Factor));
    }
}

// The isotope pattern's plot on the screen's device pixels: sticks and axes are whole device
// pixels, never smoothed across two, and the sticks' heights follow the intensities.
TEST_F(WindowScaling, PlotSticksAndAxesLieOnWholeDevicePixels) {
    PatternPlot Plot;
    Plot.resize(300, 200);
    Plot.SetPattern({{100, 100}, {101, 50}, {102, 25}}, false, '.');
    Plot.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Plot));
    const QImage Image = Plot.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRgb Stick = qRgb(0, 60, 170);
    const QRgb Ink = Plot.palette().color(QPalette::Text).rgb() | 0xFF000000;
    const QRgb Paper = Plot.palette().color(QPalette::Base).rgb() | 0xFF000000;
    const int Thick = Factor < 2 ? 1 : 2; // 1 device pixel up to 1.5, 2 at 2
    // Runs of columns that hold the stick colour, with each column's count of it.
    struct Run {
        int Left = 0, Width = 0, Height = 0, Bottom = 0;
    };
    std::vector<Run> Sticks;
    for (int X = 0; X < Image.width(); ++X) {
        int Height = 0, Bottom = 0;
        for (int Y = 0; Y < Image.height(); ++Y)
            if (Image.pixel(X, Y) == Stick) {
                ++Height;
                Bottom = Y;
            }
        if (!Height)
            continue;
        if (!Sticks.empty() && Sticks.back().Left + Sticks.back().Width == X) {
            ++Sticks.back().Width;
            EXPECT_EQ(Height, Sticks.back().Height) << "a stick's columns differ at " << X;
        } else {
            Sticks.push_back({X, 1, Height, Bottom});
        }
    }
    ASSERT_EQ(Sticks.size(), 3u) << "at factor " << Factor;
    for (const Run& Each : Sticks) {
        EXPECT_EQ(Each.Width, Thick) << "at " << Each.Left;
        EXPECT_EQ(Each.Bottom, Sticks[0].Bottom) << "one baseline";
    }
    // Heights above the axis in proportion 100 : 50 : 25, each end rounded to a device pixel.
    EXPECT_NEAR(Sticks[0].Height - Thick, 2 * (Sticks[1].Height - Thick), 2);
    EXPECT_NEAR(Sticks[1].Height - Thick, 2 * (Sticks[2].Height - Thick), 2);
    // Halfway up the lowest stick the row holds only paper, the axis and the sticks.
    const int Row = Sticks[2].Bottom - Sticks[2].Height / 2;
    for (int X = 0; X < Image.width(); ++X) {
        const QRgb Seen = Image.pixel(X, Row);
        EXPECT_TRUE(Seen == Paper || Seen == Ink || Seen == Stick) << "blended pixel at " << X;
    }
    // Between the first two sticks the axis is the only ink near the baseline.
    const int Between = (Sticks[0].Left + Sticks[1].Left) / 2;
    int Axis = 0;
    for (int Y = Sticks[0].Bottom - Device(10, Factor); Y <= Sticks[0].Bottom + 1; ++Y)
        Axis += Image.pixel(Between, Y) == Ink;
    EXPECT_EQ(Axis, Thick);
}

// The analysis view opens within the screen's available area, its buttons in sight, at every
// factor; what does not fit scrolls, so that it can be made small enough for a 1920 x 1080
// screen at factor 4 (480 x 270 pixels) with a title bar of 30.
TEST_F(WindowScaling, AnalysisViewOpensWithinTheScreen) {
    Find<QPushButton>(Window, "CmdAnalysis")->click();
    QWidget* View = Window.Analysis();
    ASSERT_NE(View, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(View));
    const QRect Room = View->screen()->availableGeometry();
    EXPECT_TRUE(Room.contains(View->frameGeometry()))
        << View->frameGeometry().width() << "x" << View->frameGeometry().height() << " in "
        << Room.width() << "x" << Room.height();
    for (const char* Name : {"CmdCopy", "CmdSave", "CmdAbout", "CmdClose"})
        EXPECT_TRUE(View->rect().contains(Find(*View, Name)->geometry())) << Name;
    EXPECT_LE(View->minimumSizeHint().width(), 480);
    EXPECT_LE(View->minimumSizeHint().height(), 240);
}

// Dense screens get the smooth 48 and 64 pixel icons too; others only the two small ones.
TEST_F(WindowScaling, IconHasImagesForTheScreensDensity) {
    const auto Sizes = Window.windowIcon().availableSizes();
    EXPECT_TRUE(Sizes.contains(QSize(32, 32)));
    EXPECT_EQ(Sizes.contains(QSize(64, 64)), Factor > 1) << "at factor " << Factor;
}

TEST_F(WindowScaling, TextsScaleAndNoneIsCut) {
    TableFolder Folder("\"H\",1,1.008\r\n\"Og\",118,294\r\n");
    Window.Load(Folder.Folder());
    Find<QLineEdit>(Window, "TxtFormulaMass")->setText(QStringLiteral("294.008 g"));
    ASSERT_FALSE(Find<QPlainTextEdit>(Window, "TxtTitle")->toPlainText().isEmpty());
    const QImage Image = Shot();
    const QRgb Face = Window.palette().color(QPalette::Button).rgb();
    for (const char* Name :
         {"Label1", "Label2", "Label3", "Label4", "TxtFormulaMass", "TxtTitle"}) {
        QWidget* Control = Find(Window, Name);
        ASSERT_NE(Control, nullptr) << Name;
        const QRect Seen = Ink(Image, Visible(Name), Face);
        ASSERT_FALSE(Seen.isEmpty()) << Name << ": no text drawn";
        // The same control with room to spare draws its whole text: what the window shows
        // must be all of it.
        const QRect Kept = Control->geometry();
        Control->resize(Kept.width() * 3, Kept.height() * 3);
        const QImage Alone = Control->grab().toImage().convertToFormat(QImage::Format_RGB32);
        Control->setGeometry(Kept);
        const QRect Whole = Ink(Alone, QRect(QPoint(0, 0), Alone.size()), Face);
        EXPECT_EQ(Seen.size(), Whole.size()) << Name << " at factor " << Factor;
        // 8.25 pt, sized by Qt at the screen's density: the ink stands between the capitals'
        // height and the line's, scaled.
        EXPECT_DOUBLE_EQ(Control->font().pointSizeF(), 8.25) << Name;
        QFont Design = Control->font();
        Design.setPointSizeF(8.25);
        const QFontMetricsF Metrics(Design);
        EXPECT_GE(Seen.height(), Metrics.capHeight() * Factor - 1) << Name << " ink height";
        EXPECT_LE(Seen.height(), Metrics.height() * Factor + 1) << Name << " ink height";
    }
}

// On a real screen (Windows' own, under Wine at a DPI of its own): the window with a formula
// calculated and its analysis view, grabbed from the screen, cover their device rectangles.
TEST_F(WindowScaling, ScreenShowsTheWindowAndTheAnalysisViewAtTheFactor) {
    if (QGuiApplication::platformName() != QLatin1String("windows"))
        GTEST_SKIP() << "the offscreen platform has no screen to grab";
    Window.Load(QStringLiteral(VARNOCK_SOURCE_DIR "/data"));
    Find<QLineEdit>(Window, "TxtFormula")->setText(QStringLiteral("C8H10N4O2"));
    QTest::mouseClick(Find<QPushButton>(Window, "CmdCalculate"), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return Find<QLineEdit>(Window, "TxtFormulaMass")->text() != "0"; }, 5000));
    QTest::qWait(300);
    const QImage Shot =
        Window.screen()->grabWindow(Window.winId()).toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(Shot.size(), Client());
    ExpectWindowDrawn(Shot);
    EXPECT_TRUE(Shot.save(VARNOCK_BINARY_DIR "/WindowAtTheSystemsDpi.png"));

    QTest::mouseClick(Find<QPushButton>(Window, "CmdAnalysis"), Qt::LeftButton);
    AnalysisView* View = Window.Analysis();
    ASSERT_NE(View, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(View));
    QTest::qWait(300);
    const QImage Analysis = View->screen()->grabWindow(View->winId()).toImage();
    EXPECT_EQ(Analysis.size(), View->size() * Factor);
    EXPECT_TRUE(Analysis.save(VARNOCK_BINARY_DIR "/AnalysisAtTheSystemsDpi.png"));
}

} // namespace
} // namespace Varnock
