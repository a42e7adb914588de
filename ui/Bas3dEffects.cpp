#include "ui/Bas3dEffects.h"

#include <QWidget>

#include "core/RunTimeError.h"
#include "ui/FormRuntime.h"

namespace Varnock::Bas3dEffects {

namespace {
constexpr auto DarkGrey = FormRuntime::Rgb(127, 127, 127);
constexpr auto White = FormRuntime::Rgb(255, 255, 255);

double Left(const QWidget& Control) {
    return FormRuntime::PixelsToTwips(Control.x());
}
double Top(const QWidget& Control) {
    return FormRuntime::PixelsToTwips(Control.y());
}
double Width(const QWidget& Control) {
    return FormRuntime::PixelsToTwips(Control.width());
}
double Height(const QWidget& Control) {
    return FormRuntime::PixelsToTwips(Control.height());
}
} // namespace

void DrawInsetBorder(const QWidget& Control) {
    auto* Container = dynamic_cast<FormRuntime::LineSurface*>(Control.parentWidget());
    if (!Container)
        throw RunTimeError(ErrObjectDoesntSupportProperty);
    const QWidget& C = Control;
    Container->Line(Left(C) + Width(C), Top(C) - 10, Left(C) - 30, Top(C) - 10, DarkGrey);
    Container->Line(Left(C) - 10, Top(C), Left(C) - 10, Top(C) + Height(C), DarkGrey);
    Container->LineFromCurrent(Left(C) + Width(C), Top(C) + Height(C), White);
    // Drawn last, so the point where it crosses the top line ends up white.
    Container->LineFromCurrent(Left(C) + Width(C), Top(C) - 30, White);
}

} // namespace Varnock::Bas3dEffects
