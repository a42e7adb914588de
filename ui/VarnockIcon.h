#pragma once

#include <QByteArray>
#include <QIcon>
#include <QImage>

namespace Varnock {

// The program's icon: a black disc with three yellow 60-degree sectors centred at 12, 4 and
// 8 o'clock, on a transparent ground. Size is 32 or 16; the small one shades the sector edges
// in dark yellow.
QImage VarnockIconImage(int Size);
QIcon VarnockIcon();

// Both images as a Windows .ico file: 16 colours of the standard palette, 4 bits per pixel,
// with a transparency mask.
QByteArray VarnockIcoFile();

} // namespace Varnock
