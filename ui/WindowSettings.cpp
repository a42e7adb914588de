#include "ui/WindowSettings.h"

#include <algorithm>

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace Varnock {

namespace {

// No screen shows a window larger than this, nor anywhere farther out: whatever lies beyond was
// not written by the window.
constexpr int LargestSide = 16384;
constexpr int FarthestCorner = 1 << 20;

bool Within(int Value, int Low, int High) {
    return Value >= Low && Value <= High;
}

} // namespace

UserSettings::UserSettings()
    : QSettings(QSettings::defaultFormat(), QSettings::UserScope, QStringLiteral("Tervalin"),
                QStringLiteral("varnock")) {}

std::optional<WindowPlace> ReadPlace(const QSettings& Settings, const QString& Group) {
    const QVariant Position = Settings.value(Group + QStringLiteral("/Position"));
    const QVariant Size = Settings.value(Group + QStringLiteral("/Size"));
    if (Position.typeId() != QMetaType::QPoint || Size.typeId() != QMetaType::QSize)
        return std::nullopt;
    const QPoint Corner = Position.toPoint();
    const QSize Extent = Size.toSize();
    if (!Within(Corner.x(), -FarthestCorner, FarthestCorner) ||
        !Within(Corner.y(), -FarthestCorner, FarthestCorner) ||
        !Within(Extent.width(), 1, LargestSide) || !Within(Extent.height(), 1, LargestSide))
        return std::nullopt;
    const bool Maximised =
        Settings.value(Group + QStringLiteral("/Maximised")).toString() == QLatin1String("true");
    return WindowPlace{Corner, Extent, Maximised};
}

void WritePlace(QSettings& Settings, const QString& Group, const QWidget& Window) {
    const bool Maximised = Window.isMaximized();
    const QRect Normal = Maximised ? Window.normalGeometry() : Window.geometry();
    // The frame's corner is the client area's less the frame's edge.
    const QPoint FrameEdge = Window.geometry().topLeft() - Window.pos();
    Settings.setValue(Group + QStringLiteral("/Position"), Normal.topLeft() - FrameEdge);
    Settings.setValue(Group + QStringLiteral("/Size"), Normal.size());
    Settings.setValue(Group + QStringLiteral("/Maximised"), Maximised);
}

QRect OntoScreens(QRect Frame, const QList<QRect>& Areas) {
    if (Areas.isEmpty())
        return Frame;
    QRect Area = Areas.front();
    qint64 Most = 0;
    for (const QRect& Each : Areas) {
        const QRect Common = Each.intersected(Frame);
        const qint64 Covered = qint64{Common.width()} * Common.height();
        if (Covered > Most) {
            Most = Covered;
            Area = Each;
        }
    }
    QRect Fitted(Frame.topLeft(), Frame.size().boundedTo(Area.size()));
    Fitted.moveLeft(
        std::clamp(Fitted.left(), Area.left(), Area.left() + Area.width() - Fitted.width()));
    Fitted.moveTop(
        std::clamp(Fitted.top(), Area.top(), Area.top() + Area.height() - Fitted.height()));
    return Fitted;
}

QList<QRect> ScreenAreas() {
    QList<QRect> Areas;
    const QScreen* Primary = QGuiApplication::primaryScreen();
    if (Primary)
        Areas << Primary->availableGeometry();
    for (const QScreen* Screen : QGuiApplication::screens())
        if (Screen != Primary)
            Areas << Screen->availableGeometry();
    return Areas;
}

bool RestorePlace(QWidget& Window, const QString& Group) {
    const std::optional<WindowPlace> Saved = ReadPlace(UserSettings(), Group);
    if (!Saved)
        return false;
    // The frame round the client area, where the platform knows it already.
    const QSize Edges = Window.frameGeometry().size() - Window.size();
    const QRect Fitted = OntoScreens(QRect(Saved->Position, Saved->Size + Edges), ScreenAreas());
    Window.resize(Fitted.size() - Edges);
    Window.move(Fitted.topLeft());
    if (Saved->Maximised)
        Window.setWindowState(Window.windowState() | Qt::WindowMaximized);
    return true;
}

} // namespace Varnock
