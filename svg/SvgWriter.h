#pragma once

// What the SVG module offers the window: one function, looked up by name.

class QIODevice;
class QPainter;
class QString;

namespace Varnock {

// Draws the picture on Painter, handed Context back.
using DrawFunction = void (*)(void* Context, QPainter& Painter);
// Writes an SVG picture of Width by Height pixels with Title, drawn by Draw, to Device; false
// when it could not be made. The window writes the file.
using WriteSvgFunction = bool (*)(QIODevice& Device, int Width, int Height, const QString& Title,
                                  DrawFunction Draw, void* Context);

} // namespace Varnock

// The module's base name in the program's folder; QLibrary adds the system's suffix.
#define VARNOCK_SVG_WRITER_MODULE "modules/varnock-svg-writer"
