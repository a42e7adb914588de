#pragma once

// What the SVG module offers the window: one function, looked up by name.

class QPainter;
class QString;

namespace Varnock {

// Draws the picture on Painter, handed Context back.
using DrawFunction = void (*)(void* Context, QPainter& Painter);
// Writes Path as an SVG picture of Width by Height pixels with Title, drawn by Draw; false when
// the file can't be written.
using WriteSvgFunction = bool (*)(const QString& Path, int Width, int Height, const QString& Title,
                                  DrawFunction Draw, void* Context);

} // namespace Varnock

// The module's base name in the program's folder; QLibrary adds the system's suffix.
#define VARNOCK_SVG_WRITER_MODULE "modules/varnock-svg-writer"
