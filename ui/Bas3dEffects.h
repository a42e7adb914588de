#pragma once

class QWidget;

namespace Varnock::Bas3dEffects {

// Paints a two-tone sunken frame around Control on the surface of its container: dark grey
// above and left, white below and right. The container must be a FormRuntime::LineSurface
// that is painting; the placement is read from the control at every call.
void DrawInsetBorder(const QWidget& Control);

} // namespace Varnock::Bas3dEffects
