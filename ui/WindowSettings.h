#pragma once

// What the windows remember from one run to the next: where each was and how large, and where
// the last plot was saved. Kept with QSettings where the platform keeps a user's settings: the
// file ~/.config/Tervalin/varnock.conf on Linux, the registry key
// HKEY_CURRENT_USER\Software\Tervalin\varnock on Windows. Nothing read there is trusted: a value
// of the wrong kind, a size no screen could show or a place off every screen is ignored or
// brought back onto a screen.

#include <optional>

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSettings>
#include <QSize>

class QWidget;

namespace Varnock {

// The user's settings in the format QSettings::defaultFormat() names (the platform's own unless
// a test chose a file of its own).
class UserSettings : public QSettings {
public:
    UserSettings();
};

// A window's place: its frame's top-left corner and the size of its client area, in
// device-independent pixels; whether it was maximised (then the place is where it goes back to).
struct WindowPlace {
    QPoint Position;
    QSize Size;
    bool Maximised = false;
};

// The place saved under Group; nothing when none was saved or what was saved can't be trusted.
std::optional<WindowPlace> ReadPlace(const QSettings& Settings, const QString& Group);
void WritePlace(QSettings& Settings, const QString& Group, const QWidget& Window);

// Frame fitted onto the screens' available Areas (the primary first): wholly within the area it
// covers most, or within the primary when it covers none, shrunk where it is larger.
QRect OntoScreens(QRect Frame, const QList<QRect>& Areas);
QList<QRect> ScreenAreas();

// Moves and sizes Window as saved under Group, fitted onto the screens; false when nothing
// usable was saved, and the window is left as it was.
bool RestorePlace(QWidget& Window, const QString& Group);

} // namespace Varnock
