#include "ui/PatternPlot.h"

#include <algorithm>
#include <cmath>

#include <QBuffer>
#include <QCoreApplication>
#include <QFileInfo>
#include <QImage>
#include <QLibrary>
#include <QPainter>
#include <QSaveFile>

#include "core/AnalysisText.h"
#include "svg/SvgWriter.h"
#include "ui/FormRuntime.h"

namespace Varnock {

std::vector<double> AxisTicks(double Low, double High, int MostTicks) {
    std::vector<double> Ticks;
    if (!(High > Low) || MostTicks < 1)
        return Ticks;
    const double Span = High - Low;
    double Power = std::pow(10.0, std::floor(std::log10(Span / MostTicks)));
    for (;; Power *= 10)
        for (const double Multiple : {1.0, 2.0, 5.0}) {
            const double Step = Multiple * Power;
            const double First = std::ceil(Low / Step - 1e-9);
            const double Last = std::floor(High / Step + 1e-9);
            if (Last - First + 1 <= MostTicks) {
                for (double Index = First; Index <= Last; ++Index)
                    Ticks.push_back(Index * Step);
                return Ticks;
            }
        }
}

PatternPlot::PatternPlot(QWidget* Parent) : QWidget(Parent) {
    setMinimumSize(240, 160);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
}

void PatternPlot::SetPattern(std::vector<PatternPeak> NewPeaks, bool IsCharged,
                             char DecimalSeparator) {
    Peaks = std::move(NewPeaks);
    Charged = IsCharged;
    Separator = DecimalSeparator;
    update();
}

void PatternPlot::paintEvent(QPaintEvent*) {
    QPainter Painter(this);
    Draw(Painter, size());
}

namespace {

QString Number(double Value, int Places, char Separator) {
    return QString::fromStdString(FixedText(Value, Places, Separator));
}

// Places after the point for tick labels of this step: none for whole steps.
int PlacesOf(double Step) {
    return Step >= 1 ? 0 : static_cast<int>(std::ceil(-std::log10(Step) - 1e-9));
}

} // namespace

void PatternPlot::Draw(QPainter& Painter, QSize Size, const QString& Title) const {
    const QColor Ink = palette().color(QPalette::Text);
    const QColor Stick(0, 60, 170);
    Painter.fillRect(QRect(QPoint(0, 0), Size), palette().color(QPalette::Base));
    Painter.setPen(Ink);
    // The title, centred over the plot; nothing else is drawn above its bottom.
    int Top = 0;
    if (!Title.isEmpty()) {
        QFont Heading = font();
        Heading.setBold(true);
        Heading.setPointSizeF(Heading.pointSizeF() * 1.3);
        Painter.setFont(Heading);
        Top = QFontMetrics(Heading).height() + 6;
        Painter.drawText(QRect(0, 4, Size.width(), Top - 4), Qt::AlignCenter, Title);
    }
    Painter.setFont(font());
    const QFontMetrics Metrics(font());
    const int Line = Metrics.height();
    const QRect Area(Metrics.horizontalAdvance(QStringLiteral("100 %")) + 10, Top + Line + 8, 0, 0);
    const int Right = Size.width() - 16;
    const int Bottom = Size.height() - 2 * Line - 10;
    if (Right - Area.left() < 40 || Bottom - Area.top() < 30)
        return;
    const QRect Plot(QPoint(Area.left(), Area.top()), QPoint(Right, Bottom));

    // Everything straight is drawn as whole device pixels: thickness 1 up to 1.5 device pixels
    // to a pixel, 2 from 2 on, never smoothed across two pixel rows.
    const QTransform ToDevice = Painter.deviceTransform();
    const double Ratio = std::max(1.0, std::abs(ToDevice.m11()));
    const int Thick = std::max(1, static_cast<int>(std::floor(Ratio + 1e-9)));
    const auto DeviceX = [&](double X) {
        return static_cast<int>(std::lround(ToDevice.map(QPointF(X, 0)).x()));
    };
    const auto DeviceY = [&](double Y) {
        return static_cast<int>(std::lround(ToDevice.map(QPointF(0, Y)).y()));
    };
    struct Bar {
        QRect Device;
        QColor Colour;
    };
    std::vector<Bar> Bars;
    const auto Vertical = [&](double X, double Top, double BottomY, const QColor& Colour) {
        const int Y0 = DeviceY(Top), Y1 = DeviceY(BottomY);
        Bars.push_back({QRect(DeviceX(X), Y0, Thick, Y1 - Y0 + Thick), Colour});
    };
    const auto Horizontal = [&](double Left, double RightX, double Y, const QColor& Colour) {
        const int X0 = DeviceX(Left), X1 = DeviceX(RightX);
        Bars.push_back({QRect(X0, DeviceY(Y), X1 - X0 + Thick, Thick), Colour});
    };

    // The axes, and the intensity ticks every 25 %.
    Horizontal(Plot.left(), Plot.right(), Plot.bottom(), Ink);
    Vertical(Plot.left(), Plot.top(), Plot.bottom(), Ink);
    const auto YOf = [&](double Percent) {
        return Plot.bottom() - Percent / 100.0 * (Plot.bottom() - Plot.top());
    };
    for (const double Percent : AxisTicks(0, 100, std::max(2, Plot.height() / (2 * Line)))) {
        Horizontal(Plot.left() - 4, Plot.left(), YOf(Percent), Ink);
        const QRect Text(0, static_cast<int>(YOf(Percent)) - Line / 2, Plot.left() - 7, Line);
        Painter.drawText(Text, Qt::AlignRight | Qt::AlignVCenter,
                         QString::number(Percent) + QStringLiteral(" %"));
    }

    if (!Peaks.empty()) {
        const auto [Lightest, Heaviest] = std::minmax_element(
            Peaks.begin(), Peaks.end(),
            [](const PatternPeak& A, const PatternPeak& B) { return A.Mass < B.Mass; });
        const double Pad = std::max(1.0, (Heaviest->Mass - Lightest->Mass) * 0.08);
        const double Low = Lightest->Mass - Pad, High = Heaviest->Mass + Pad;
        const auto XOf = [&](double Mass) {
            return Plot.left() + (Mass - Low) / (High - Low) * (Plot.right() - Plot.left());
        };
        const std::vector<double> Ticks =
            AxisTicks(Low, High, std::max(2, Plot.width() / (Metrics.horizontalAdvance('0') * 9)));
        const int TickPlaces = Ticks.size() > 1 ? PlacesOf(Ticks[1] - Ticks[0]) : 0;
        for (const double Tick : Ticks) {
            Vertical(XOf(Tick), Plot.bottom(), Plot.bottom() + 4, Ink);
            const QString Text = Number(Tick, TickPlaces, Separator);
            const int Width = Metrics.horizontalAdvance(Text);
            Painter.drawText(
                QRect(static_cast<int>(XOf(Tick)) - Width, Plot.bottom() + 6, 2 * Width, Line),
                Qt::AlignCenter, Text);
        }
        for (const PatternPeak& Peak : Peaks)
            Vertical(XOf(Peak.Mass), YOf(Peak.Intensity), Plot.bottom(), Stick);

        // Labels, tallest peaks first; one that would overlap another is left out.
        std::vector<const PatternPeak*> ByHeight;
        for (const PatternPeak& Peak : Peaks)
            ByHeight.push_back(&Peak);
        std::stable_sort(
            ByHeight.begin(), ByHeight.end(),
            [](const PatternPeak* A, const PatternPeak* B) { return A->Intensity > B->Intensity; });
        const int Places = Heaviest->Mass < 1000 ? 4 : 2;
        std::vector<QRect> Taken;
        for (const PatternPeak* Peak : ByHeight) {
            const QString Text = Number(Peak->Mass, Places, Separator);
            const int Width = Metrics.horizontalAdvance(Text) + 6;
            const int X = static_cast<int>(XOf(Peak->Mass));
            // Over the stick, else beside its top on the right or on the left.
            for (const int Left : {X - Width / 2, X + 2, X - Width - 1}) {
                const QRect Label(Left, static_cast<int>(YOf(Peak->Intensity)) - Line - 2, Width,
                                  Line);
                if (Label.left() < 0 || Label.right() >= Size.width() || Label.top() < Top ||
                    std::any_of(Taken.begin(), Taken.end(),
                                [&](const QRect& Other) { return Other.intersects(Label); }))
                    continue;
                Taken.push_back(Label);
                Painter.drawText(Label, Qt::AlignCenter, Text);
                break;
            }
        }
    }
    Painter.drawText(QRect(Plot.left(), Size.height() - Line - 2, Plot.width(), Line),
                     Qt::AlignCenter, Charged ? QStringLiteral("m/z") : QStringLiteral("Mass (u)"));

    Painter.save();
    Painter.setWorldTransform(ToDevice.inverted() * Painter.worldTransform());
    Painter.setRenderHint(QPainter::Antialiasing, false);
    for (const Bar& Each : Bars)
        Painter.fillRect(Each.Device, Each.Colour);
    Painter.restore();
}

namespace {

struct SvgModule {
    QString Folder; // empty: the program's own
    bool Tried = false;
    WriteSvgFunction Write = nullptr;
};

SvgModule& TheSvgModule() {
    static SvgModule Module;
    return Module;
}

WriteSvgFunction SvgWriter() {
    SvgModule& Module = TheSvgModule();
    if (!Module.Tried) {
        Module.Tried = true;
        const QString Folder =
            Module.Folder.isEmpty() ? QCoreApplication::applicationDirPath() + u'/' : Module.Folder;
        // The module stays loaded: QLibrary unloads nothing when it goes.
        QLibrary Library(Folder + QStringLiteral(VARNOCK_SVG_WRITER_MODULE));
        Module.Write = reinterpret_cast<WriteSvgFunction>(Library.resolve("VarnockWriteSvg"));
    }
    return Module.Write;
}

} // namespace

void PatternPlot::SetModuleFolder(const QString& Folder) {
    SvgModule& Module = TheSvgModule();
    if (!Module.Write)
        Module = SvgModule{Folder};
}

bool PatternPlot::SavesSvg() {
    return SvgWriter() != nullptr;
}

bool PatternPlot::Save(const QString& Path, const QString& Title, QString* Failure) const {
    const auto Failed = [Failure](const QString& Why) {
        if (Failure)
            *Failure = Why;
        return false;
    };
    QByteArray Bytes;
    QBuffer Buffer(&Bytes);
    Buffer.open(QIODevice::WriteOnly);
    if (QFileInfo(Path).suffix().toLower() == QLatin1String("svg")) {
        const WriteSvgFunction Write = SvgWriter();
        if (!Write)
            return Failed(QStringLiteral("this build saves no SVG"));
        struct Drawing {
            const PatternPlot* Plot;
            const QString& Title;
        } What{this, Title};
        const auto DrawOn = [](void* Context, QPainter& Painter) {
            const auto* Asked = static_cast<const Drawing*>(Context);
            Asked->Plot->Draw(Painter, Asked->Plot->size(), Asked->Title);
        };
        if (!Write(Buffer, width(), height(), QStringLiteral("Isotope pattern of ") + Title, DrawOn,
                   &What))
            return Failed(QStringLiteral("the SVG picture could not be made"));
    } else {
        // Twice the screen's pixels, laid out as on the screen: sharp when printed or enlarged.
        const double Ratio = 2 * devicePixelRatioF();
        QImage Image(size() * Ratio, QImage::Format_RGB32);
        Image.setDevicePixelRatio(Ratio);
        QPainter Painter(&Image);
        Draw(Painter, size(), Title);
        Painter.end();
        if (!Image.save(&Buffer, "PNG"))
            return Failed(QStringLiteral("the PNG image could not be made"));
    }
    // Under a temporary name, renamed when whole. A write cut short (a full disk) shows only in
    // a short count or a failed flush, and QSaveFile's commit checks neither.
    QSaveFile File(Path);
    if (!File.open(QIODevice::WriteOnly))
        return Failed(File.errorString());
    if (File.write(Bytes) != Bytes.size() || !File.flush() || !File.commit())
        return Failed(QStringLiteral("it could not be written whole; is the disk full?"));
    return true;
}

} // namespace Varnock
