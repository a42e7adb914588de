#pragma once

#include <QByteArray>
#include <QIcon>
#include <QImage>

namespace Varnock {

// The program's icon: a black disc with three yellow 60-degree sectors centred at 12, 4 and
// 8 o'clock, on a transparent ground. Up to 32 pixels it is drawn pixel-exact without smoothing
// (16 shades the sector edges in dark yellow); larger sizes are drawn smoothly.
QImage VarnockIconImage(int Size);
QIcon VarnockIcon();

// The same drawing as an SVG document, for the desktop's scalable icon.
QByteArray VarnockIconSvg();

// The images of 256, 48, 32 and 16 pixels as a Windows .ico file, in 32-bit colour with alpha
// and a transparency mask, the largest as PNG.
QByteArray VarnockIcoFile();

} // namespace Varnock
